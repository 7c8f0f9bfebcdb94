// The bar meter: coloured zones with texts, a scale on one side, pointers across the bar.
#include "ui/charts/ChartPaint.h"
#include "ui/charts/Meter.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaris::charts {
namespace {

constexpr double kDefaultPointerWidth = 0.7;  // of the bar's thickness
constexpr int kMajorTick = 3;
constexpr int kMinorTick = 2;

}  // namespace

LinearMeter::LinearMeter(int width, int height, Fill background, Color edge, int raisedEffect)
    : BaseMeter(width, height, background, edge, raisedEffect),
      m_x(0),
      m_y(0),
      m_width(width),
      m_height(height) {}

void LinearMeter::setMeter(int x, int y, int width, int height, int axisPosition, bool reversed) {
    m_x = x;
    m_y = y;
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    m_axisPosition = axisPosition;
    m_reversed = reversed;
}

TextBox& LinearMeter::addZone(double startValue, double endValue, Color color, std::string label) {
    TextBox box(std::move(label), "arial.ttf", 8, kTextColor);
    box.setMargin(0);
    m_zones.push_back({startValue, endValue, color, std::move(box)});
    return m_zones.back().label;
}

bool LinearMeter::horizontal() const {
    return m_axisPosition == kTopCenter || m_axisPosition == kBottomCenter;
}

double LinearMeter::pixelOf(double value) const {
    const double span = scaleUpper() - scaleLower();
    double f = span == 0 ? 0 : (value - scaleLower()) / span;
    if (horizontal()) {
        if (m_reversed) {
            f = 1 - f;
        }
        return m_x + f * m_width;
    }
    // Vertical meters grow upwards unless reversed.
    if (!m_reversed) {
        f = 1 - f;
    }
    return m_y + f * m_height;
}

QImage LinearMeter::render() const {
    QImage image = makeCanvas();
    if (image.isNull()) {
        return image;
    }
    QPainter painter(&image);
    const bool across = horizontal();
    const QRectF bar(m_x, m_y, m_width, m_height);
    // The rectangle of the bar between two scale values.
    const auto stretch = [&](double from, double to) {
        const double p0 = pixelOf(clampToScale(from));
        const double p1 = pixelOf(clampToScale(to));
        return across ? QRectF(std::min(p0, p1), bar.top(), std::fabs(p1 - p0), bar.height())
                      : QRectF(bar.left(), std::min(p0, p1), bar.width(), std::fabs(p1 - p0));
    };
    for (const Zone& zone : m_zones) {
        const QRectF r = stretch(zone.start, zone.end);
        painter.fillRect(r, toQColor(zone.color, kTransparent));
        if (!zone.label.text().empty()) {
            paintTextBox(painter, zone.label, r.center(), kCenter);
        }
    }

    // Ticks and labels on the axis side.
    const QColor line = toQColor(kLineColor);
    const MeterTicks ticks = this->ticks(across ? m_width : m_height);
    const bool before = m_axisPosition == kTopCenter || m_axisPosition == kLeft;
    const double edge =
        across ? (before ? bar.top() : bar.bottom()) : (before ? bar.left() : bar.right());
    const double outward = before ? -1 : 1;
    const auto tickLine = [&](double v, double length) {
        const double p = std::round(pixelOf(v)) + 0.5;
        const double e = edge + outward * 0.5;
        if (across) {
            painter.drawLine(QPointF(p, e), QPointF(p, e + outward * length));
        } else {
            painter.drawLine(QPointF(e, p), QPointF(e + outward * length, p));
        }
    };
    painter.setPen(QPen(line, 1));
    for (double v : ticks.minor) {
        tickLine(v, kMinorTick);
    }
    for (double v : ticks.major) {
        tickLine(v, kMajorTick);
    }
    const int labelAlignment =
        across ? (before ? kBottomCenter : kTopCenter) : (before ? kRight : kLeft);
    for (const ScaleLabel& label : scaleLabels(ticks)) {
        const double p = pixelOf(label.position);
        const double offset = edge + outward * (kMajorTick + 1);
        paintTextBox(painter, label.box, across ? QPointF(p, offset) : QPointF(offset, p),
                     labelAlignment);
    }

    // Pointers run across the bar towards the scale.
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const MeterPointer& pointer : pointers()) {
        const double thickness = across ? bar.height() : bar.width();
        const double widthRatio =
            pointer.widthRatio() < kNoValue ? pointer.widthRatio() : kDefaultPointerWidth;
        const double lengthRatio = pointer.lengthRatio() < kNoValue ? pointer.lengthRatio() : 1.0;
        const double p = pixelOf(clampToScale(pointer.value()));
        const double far =
            across ? (before ? bar.bottom() : bar.top()) : (before ? bar.right() : bar.left());
        const double near = far + (edge - far) * lengthRatio;
        const QPointF base = across ? QPointF(p, far) : QPointF(far, p);
        const QPointF tip = across ? QPointF(p, near) : QPointF(near, p);
        const int shape = pointer.shapeSet() ? pointer.shape() : kTriangularPointer;
        paintPointer(painter, pointer, pointerOutline(shape, base, tip, thickness * widthRatio));
    }
    paintTexts(painter);
    return image;
}

}  // namespace voltaris::charts
