// Scale, labels and pointers shared by the meters.
#include "ui/charts/AxisScale.h"
#include "ui/charts/ChartPaint.h"
#include "ui/charts/LabelFormat.h"
#include "ui/charts/Meter.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaris::charts {
namespace {

constexpr int kPixelsPerLabel = 30;
constexpr int kMaxTicks = 500;

std::vector<double> ticksEvery(double lower, double upper, double step) {
    std::vector<double> out;
    if (!(step > 0) || !std::isfinite(step) || !(upper >= lower)) {
        return out;
    }
    const double eps = step * 1e-9;
    for (int k = 0; k < kMaxTicks; ++k) {
        double t = lower + k * step;
        if (t > upper + eps) {
            break;
        }
        if (std::fabs(t) < eps) {
            t = 0;
        }
        out.push_back(t);
    }
    return out;
}

bool near(const std::vector<double>& values, double v, double eps) {
    return std::any_of(values.begin(), values.end(),
                       [&](double t) { return std::fabs(t - v) <= eps; });
}

}  // namespace

MeterPointer::MeterPointer(double value, Color fill, Color edge)
    : m_value(value), m_fill(fill), m_edge(edge) {}

MeterPointer& MeterPointer::setShape(int shape, double lengthRatio, double widthRatio) {
    m_shape = std::clamp(shape, 0, static_cast<int>(kPencilPointer));
    m_lengthRatio = lengthRatio;
    m_widthRatio = widthRatio;
    m_shapeSet = true;
    return *this;
}

MeterPointer& MeterPointer::setColor(Color fill, Color edge) {
    m_fill = fill;
    m_edge = edge;
    return *this;
}

MeterPointer& MeterPointer::setPos(double value) {
    m_value = value;
    return *this;
}

BaseMeter::BaseMeter(int width, int height, Fill background, Color edge, int raisedEffect)
    : Chart(width, height, background, edge, raisedEffect),
      m_labelStyle({}, "arialbd.ttf", 8, kTextColor) {
    m_labelStyle.setMargin(0);
}

void BaseMeter::setScale(double lower, double upper, double majorTickInc, double minorTickInc,
                         double microTickInc) {
    m_lower = lower;
    m_upper = upper;
    m_major = majorTickInc;
    m_minor = minorTickInc;
    m_micro = microTickInc;
}

TextBox& BaseMeter::addLabel(double position, std::string label) {
    TextBox box = m_labelStyle;
    box.setText(std::move(label));
    m_labels.push_back({position, std::move(box)});
    return m_labels.back().box;
}

TextBox& BaseMeter::setLabelStyle(std::string font, double size, Color color, double angle) {
    m_labelStyle.setFontStyle(std::move(font)).setFontSize(size).setFontColor(color);
    m_labelStyle.setFontAngle(angle);
    return m_labelStyle;
}

MeterPointer& BaseMeter::addPointer(double value, Color fill, Color edge) {
    m_pointers.emplace_back(value, fill, edge);
    return m_pointers.back();
}

double BaseMeter::clampToScale(double value) const {
    const double lo = std::min(m_lower, m_upper);
    const double hi = std::max(m_lower, m_upper);
    if (std::isnan(value)) {
        return lo;
    }
    return std::clamp(value, lo, hi);
}

MeterTicks BaseMeter::ticks(double lengthPixels) const {
    MeterTicks t;
    const double lo = std::min(m_lower, m_upper);
    const double hi = std::max(m_lower, m_upper);
    if (!(hi > lo) || !std::isfinite(hi - lo)) {
        return t;
    }
    double major = m_major;
    if (!(major > 0)) {
        const int wanted = std::max(1, static_cast<int>(lengthPixels / kPixelsPerLabel));
        major = niceStep(hi - lo, wanted);
    }
    t.major = ticksEvery(lo, hi, major);
    const double eps = major * 1e-6;
    if (m_minor > 0 && m_minor < major) {
        for (double v : ticksEvery(lo, hi, m_minor)) {
            if (!near(t.major, v, eps)) {
                t.minor.push_back(v);
            }
        }
    }
    if (m_micro > 0 && (m_minor <= 0 || m_micro < m_minor)) {
        for (double v : ticksEvery(lo, hi, m_micro)) {
            if (!near(t.major, v, eps) && !near(t.minor, v, eps)) {
                t.micro.push_back(v);
            }
        }
    }
    return t;
}

std::vector<BaseMeter::ScaleLabel> BaseMeter::scaleLabels(const MeterTicks& ticks) const {
    std::vector<ScaleLabel> out;
    const double eps = std::fabs(m_upper - m_lower) * 1e-9;
    for (double v : ticks.major) {
        const bool replaced = std::any_of(m_labels.begin(), m_labels.end(), [&](const auto& c) {
            return std::fabs(c.position - v) <= eps;
        });
        if (!replaced) {
            TextBox box = m_labelStyle;
            box.setText(formatPlain(v));
            out.push_back({v, std::move(box)});
        }
    }
    for (const CustomLabel& c : m_labels) {
        out.push_back({c.position, c.box});
    }
    return out;
}

QPolygonF BaseMeter::pointerOutline(int shape, const QPointF& base, const QPointF& tip,
                                    double width) {
    const QPointF along = tip - base;
    const double length = std::hypot(along.x(), along.y());
    if (length <= 0) {
        return {};
    }
    const QPointF u = along / length;
    const QPointF n(-u.y(), u.x());
    const double h = width / 2;
    // Outline points as (fraction of the length, fraction of the half width).
    const auto at = [&](double a, double b) { return base + u * (a * length) + n * (b * h); };
    QPolygonF poly;
    switch (shape) {
        case kTriangularPointer:
            poly << at(0, 1) << at(1, 0) << at(0, -1);
            break;
        case kArrowPointer:
        case kArrowPointer2: {
            const double shaft = shape == kArrowPointer ? 0.35 : 0.2;
            poly << at(0, shaft) << at(0.7, shaft) << at(0.7, 1) << at(1, 0) << at(0.7, -1)
                 << at(0.7, -shaft) << at(0, -shaft);
            break;
        }
        case kLinePointer:
            poly << at(0, 0.25) << at(1, 0.25) << at(1, -0.25) << at(0, -0.25);
            break;
        case kPencilPointer:
            poly << at(0, 0.5) << at(0.8, 0.5) << at(1, 0) << at(0.8, -0.5) << at(0, -0.5);
            break;
        default:  // diamond
            poly << at(-0.12, 0) << at(0.25, 1) << at(1, 0) << at(0.25, -1);
            break;
    }
    return poly;
}

void BaseMeter::paintPointer(QPainter& painter, const MeterPointer& pointer,
                             const QPolygonF& outline) {
    if (outline.isEmpty()) {
        return;
    }
    const QColor fill = toQColor(pointer.fill(), kLineColor);
    const QColor edge = toQColor(pointer.edge(), pointer.fill());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(fill.alpha() > 0 ? QBrush(fill) : QBrush(Qt::NoBrush));
    painter.setPen(edge.alpha() > 0 && edge != fill ? QPen(edge, 1) : QPen(Qt::NoPen));
    painter.drawPolygon(outline);
    painter.restore();
}

}  // namespace voltaris::charts
