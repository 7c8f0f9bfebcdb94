// The round dial meter: zones as sectors, a scale arc with ticks and labels, pointers.
#include "ui/charts/ChartPaint.h"
#include "ui/charts/Meter.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace voltaris::charts {
namespace {

constexpr double kDegrees = M_PI / 180.0;
constexpr double kDefaultPointerLength = 0.85;  // of the radius
constexpr double kDefaultPointerWidth = 0.1;    // of the radius

}  // namespace

AngularMeter::AngularMeter(int width, int height, Fill background, Color edge, int raisedEffect)
    : BaseMeter(width, height, background, edge, raisedEffect),
      m_cx(width / 2),
      m_cy(height / 2),
      m_radius(std::max(1, std::min(width, height) / 2 - 10)) {}

void AngularMeter::setMeter(int cx, int cy, int radius, double startAngle, double endAngle) {
    m_cx = cx;
    m_cy = cy;
    m_radius = std::max(1, radius);
    m_startAngle = startAngle;
    m_endAngle = endAngle;
}

void AngularMeter::addZone(double startValue, double endValue, Color fill, Color edge) {
    m_zones.push_back({startValue, endValue, fill, edge});
}

double AngularMeter::angleOf(double value) const {
    const double span = scaleUpper() - scaleLower();
    if (span == 0) {
        return m_startAngle;
    }
    return m_startAngle + (value - scaleLower()) / span * (m_endAngle - m_startAngle);
}

QPointF AngularMeter::pointAt(double angleDegrees, double radius) const {
    const double a = angleDegrees * kDegrees;
    return QPointF(m_cx + radius * std::sin(a), m_cy - radius * std::cos(a));
}

QImage AngularMeter::render() const {
    QImage image = makeCanvas();
    if (image.isNull()) {
        return image;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double r = m_radius;
    const QRectF circle(m_cx - r, m_cy - r, 2 * r, 2 * r);

    // Zones: sectors between two scale values, drawn only over the scale's range.
    for (const Zone& zone : m_zones) {
        const double a0 = angleOf(clampToScale(zone.start));
        const double a1 = angleOf(clampToScale(zone.end));
        if (a0 == a1) {
            continue;
        }
        QPainterPath sector(QPointF(m_cx, m_cy));
        // Qt counts angles counter-clockwise from 3 o'clock.
        sector.arcTo(circle, 90.0 - a0, -(a1 - a0));
        sector.closeSubpath();
        const QColor fill = toQColor(zone.fill, kTransparent);
        const QColor edge = toQColor(zone.edge, zone.fill);
        painter.setBrush(fill.alpha() > 0 ? QBrush(fill) : QBrush(Qt::NoBrush));
        painter.setPen(edge.alpha() > 0 ? QPen(edge, 1) : QPen(Qt::NoPen));
        painter.drawPath(sector);
    }

    // Scale arc, ticks pointing inwards and labels inside them.
    const QColor line = toQColor(kLineColor);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(line, 1));
    painter.drawArc(circle, static_cast<int>(std::lround((90.0 - m_startAngle) * 16)),
                    static_cast<int>(std::lround(-(m_endAngle - m_startAngle) * 16)));
    const double arcLength = std::fabs(m_endAngle - m_startAngle) * kDegrees * r;
    const MeterTicks ticks = this->ticks(arcLength);
    const double majorLength = std::max(4.0, r * 0.08);
    const auto drawTicks = [&](const std::vector<double>& values, double length, double width) {
        painter.setPen(QPen(line, width));
        for (double v : values) {
            const double a = angleOf(v);
            painter.drawLine(pointAt(a, r), pointAt(a, r - length));
        }
    };
    drawTicks(ticks.micro, majorLength * 0.3, 1);
    drawTicks(ticks.minor, majorLength * 0.55, 1);
    drawTicks(ticks.major, majorLength, 1.5);
    for (const ScaleLabel& label : scaleLabels(ticks)) {
        const QSizeF size = textSize(label.box);
        const double a = angleOf(label.position);
        // Keeps the label's box just inside the tick ends whatever the direction.
        const double reach = 0.5 * (std::fabs(size.width() * std::sin(a * kDegrees)) +
                                    std::fabs(size.height() * std::cos(a * kDegrees)));
        paintTextBox(painter, label.box, pointAt(a, r - majorLength - 2 - reach), kCenter);
    }

    for (const MeterPointer& pointer : pointers()) {
        const double lengthRatio =
            pointer.lengthRatio() < kNoValue ? pointer.lengthRatio() : kDefaultPointerLength;
        const double widthRatio =
            pointer.widthRatio() < kNoValue ? pointer.widthRatio() : kDefaultPointerWidth;
        const double a = angleOf(clampToScale(pointer.value()));
        const QPolygonF outline = pointerOutline(pointer.shape(), QPointF(m_cx, m_cy),
                                                 pointAt(a, r * lengthRatio), r * widthRatio);
        paintPointer(painter, pointer, outline);
    }
    paintTexts(painter);
    return image;
}

}  // namespace voltaris::charts
