// Painting helpers shared by the charts and meters.
#include "ui/charts/ChartPaint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace voltaris::charts {
namespace {

constexpr int kTextFlags = Qt::AlignCenter | Qt::TextDontClip;

QBrush metalBrush(const QRectF& rect, const Fill& fill) {
    const QColor base = toQColor(fill.color, kBackgroundColor);
    // Brushed metal: bright and dark streaks across the surface, at `angle` degrees from the
    // vertical (90 shades from left to right).
    const double radians = fill.angle * M_PI / 180.0;
    const QPointF centre = rect.center();
    const double half = 0.5 * (std::fabs(rect.width() * std::sin(radians)) +
                               std::fabs(rect.height() * std::cos(radians)));
    const QPointF direction(std::sin(radians), -std::cos(radians));
    QLinearGradient gradient(centre - direction * half, centre + direction * half);
    gradient.setColorAt(0.00, base.lighter(118));
    gradient.setColorAt(0.20, base);
    gradient.setColorAt(0.45, base.lighter(112));
    gradient.setColorAt(0.55, base.darker(104));
    gradient.setColorAt(0.80, base.lighter(108));
    gradient.setColorAt(1.00, base.darker(112));
    return QBrush(gradient);
}

}  // namespace

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void paintFill(QPainter& painter, const QRectF& rect, const Fill& fill) {
    if (isInvisible(fill.color) || rect.isEmpty()) {
        return;
    }
    if (fill.metal) {
        painter.fillRect(rect, metalBrush(rect, fill));
    } else {
        painter.fillRect(rect, toQColor(fill.color, kBackgroundColor));
    }
}

QRectF paintEdge(QPainter& painter, const QRectF& rect, Color edge, int raised) {
    QRectF inner = rect;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QColor edgeColor = toQColor(edge, kTransparent);
    if (edgeColor.alpha() > 0 && rect.width() >= 1 && rect.height() >= 1) {
        painter.setPen(QPen(edgeColor, 1));
        painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
        inner = rect.adjusted(1, 1, -1, -1);
    }
    const int depth = std::abs(raised);
    const QColor light(255, 255, 255, 170);
    const QColor dark(0, 0, 0, 95);
    for (int i = 0; i < depth && inner.width() > 2 && inner.height() > 2; ++i) {
        const QColor& topLeft = raised > 0 ? light : dark;
        const QColor& bottomRight = raised > 0 ? dark : light;
        const double l = inner.left() + 0.5;
        const double t = inner.top() + 0.5;
        const double r = inner.right() - 0.5;
        const double b = inner.bottom() - 0.5;
        painter.setPen(QPen(topLeft, 1));
        painter.drawLine(QPointF(l, b), QPointF(l, t));
        painter.drawLine(QPointF(l, t), QPointF(r, t));
        painter.setPen(QPen(bottomRight, 1));
        painter.drawLine(QPointF(r, t + 1), QPointF(r, b));
        painter.drawLine(QPointF(l + 1, b), QPointF(r, b));
        inner = inner.adjusted(1, 1, -1, -1);
    }
    painter.restore();
    return inner;
}

QSizeF textSize(const TextBox& box) {
    if (box.text().empty()) {
        return {0, 0};
    }
    const QFontMetricsF metrics(chartFont(box.font(), box.fontSize()));
    return metrics.boundingRect(QRectF(), kTextFlags, toQString(box.text())).size();
}

QRectF textBoxRect(const TextBox& box, QPointF anchor, int alignment) {
    const QSizeF text = textSize(box);
    const double w = text.width() + 2.0 * box.margin();
    const double h = text.height() + 2.0 * box.margin();
    double x = anchor.x();
    double y = anchor.y();
    switch (alignment) {
        case kBottomLeft:
            y -= h;
            break;
        case kBottomCenter:
            x -= w / 2;
            y -= h;
            break;
        case kBottomRight:
            x -= w;
            y -= h;
            break;
        case kLeft:
            y -= h / 2;
            break;
        case kCenter:
            x -= w / 2;
            y -= h / 2;
            break;
        case kRight:
            x -= w;
            y -= h / 2;
            break;
        case kTopCenter:
            x -= w / 2;
            break;
        case kTopRight:
            x -= w;
            break;
        default:
            break;  // top left
    }
    return QRectF(std::round(x), std::round(y), std::ceil(w), std::ceil(h));
}

QRectF paintTextBox(QPainter& painter, const TextBox& box, QPointF anchor, int alignment) {
    const QRectF rect = textBoxRect(box, anchor, alignment);
    painter.save();
    if (box.angle() != 0) {
        painter.translate(anchor);
        painter.rotate(-box.angle());
        painter.translate(-anchor);
    }
    paintFill(painter, rect, Fill(box.background()));
    const Color edge = box.edge() == kDefault ? box.background() : box.edge();
    paintEdge(painter, rect, edge, box.raisedEffect());
    const QColor color = toQColor(box.fontColor(), kTextColor);
    if (color.alpha() > 0 && !box.text().empty()) {
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(chartFont(box.font(), box.fontSize()));
        painter.setPen(color);
        painter.drawText(rect, kTextFlags, toQString(box.text()));
    }
    painter.restore();
    return rect;
}

}  // namespace voltaris::charts
