// QCustomPlot plottables and ticker tuned for still images.
#include "ui/charts/QcpPlottables.h"

#include "ui/charts/LineReduction.h"

#include <algorithm>
#include <cmath>

namespace voltaris::charts::detail {
namespace {

bool isGap(const QPointF& p) {
    return !std::isfinite(p.x()) || !std::isfinite(p.y());
}

void strokeSegment(QCPPainter* painter, const QPointF* points, int count) {
    // Neighbouring pieces share their end point, so the line stays joined; round caps hide the
    // seams.
    for (int start = 0; start + 1 < count; start += kStrokePiece) {
        const int n = std::min(kStrokePiece + 1, count - start);
        painter->drawPolyline(points + start, n);
    }
}

}  // namespace

void strokeInPieces(QCPPainter* painter, const QVector<QPointF>& points) {
    const int size = static_cast<int>(points.size());
    int start = 0;
    for (int i = 0; i <= size; ++i) {
        if (i == size || isGap(points[i])) {
            if (i - start > 1) {
                strokeSegment(painter, points.constData() + start, i - start);
            }
            start = i + 1;
        }
    }
}

PiecewiseGraph::PiecewiseGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, bool piecewise)
    : QCPGraph(keyAxis, valueAxis), m_piecewise(piecewise) {}

void PiecewiseGraph::drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const {
    if (!m_piecewise) {
        QCPGraph::drawLinePlot(painter, lines);
        return;
    }
    if (painter->pen().style() == Qt::NoPen || painter->pen().color().alpha() == 0) {
        return;
    }
    applyDefaultAntialiasingHint(painter);
    strokeInPieces(painter, lines);
}

PiecewiseCurve::PiecewiseCurve(QCPAxis* keyAxis, QCPAxis* valueAxis, bool piecewise, bool reduce)
    : QCPCurve(keyAxis, valueAxis), m_piecewise(piecewise), m_reduce(reduce) {}

void PiecewiseCurve::drawCurveLine(QCPPainter* painter, const QVector<QPointF>& lines) const {
    if (!m_piecewise) {
        QCPCurve::drawCurveLine(painter, lines);
        return;
    }
    if (painter->pen().style() == Qt::NoPen || painter->pen().color().alpha() == 0) {
        return;
    }
    applyDefaultAntialiasingHint(painter);
    strokeInPieces(painter, m_reduce ? dropRetracedSegments(reduceToPixels(lines)) : lines);
}

ColoredBars::ColoredBars(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPBars(keyAxis, valueAxis) {}

void ColoredBars::draw(QCPPainter* painter) {
    if (!mKeyAxis || !mValueAxis || mDataContainer->isEmpty()) {
        return;
    }
    const QColor fallback = brush().color();
    int index = 0;
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it, ++index) {
        if (!std::isfinite(it->key) || !std::isfinite(it->value)) {
            continue;
        }
        if (mValueAxis->scaleType() == QCPAxis::stLogarithmic &&
            !(it->value > mValueAxis->range().lower)) {
            continue;  // nothing to draw at or below the bottom of a logarithmic axis
        }
        const QRectF bar = getBarRect(it->key, it->value).normalized();
        if (bar.isEmpty()) {
            continue;
        }
        const QColor fill = index < static_cast<int>(m_colors.size())
                                ? m_colors[static_cast<std::size_t>(index)]
                                : fallback;
        painter->setAntialiasing(false);
        painter->fillRect(bar, fill);
        const QColor edge = m_edge.isValid() ? m_edge : fill;
        if (edge.alpha() > 0 && edge != fill) {
            painter->setPen(QPen(edge, 1));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(bar.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        const int depth = std::min<int>(std::abs(m_raised),
                                        static_cast<int>(std::min(bar.width(), bar.height()) / 3));
        for (int i = 0; i < depth; ++i) {
            const QRectF r = bar.adjusted(i + 0.5, i + 0.5, -i - 0.5, -i - 0.5);
            const QColor light = m_raised > 0 ? fill.lighter(150) : fill.darker(150);
            const QColor dark = m_raised > 0 ? fill.darker(150) : fill.lighter(150);
            painter->setPen(QPen(light, 1));
            painter->drawLine(r.bottomLeft(), r.topLeft());
            painter->drawLine(r.topLeft(), r.topRight());
            painter->setPen(QPen(dark, 1));
            painter->drawLine(r.topRight(), r.bottomRight());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
        }
    }
}

FixedTicker::FixedTicker(QVector<double> ticks, QVector<double> minorTicks, QVector<QString> labels)
    : m_ticks(std::move(ticks)), m_minorTicks(std::move(minorTicks)), m_labels(std::move(labels)) {}

void FixedTicker::generate(const QCPRange& /*range*/, const QLocale& /*locale*/,
                           QChar /*formatChar*/, int /*precision*/, QVector<double>& ticks,
                           QVector<double>* subTicks, QVector<QString>* tickLabels) {
    ticks = m_ticks;
    if (subTicks != nullptr) {
        *subTicks = m_minorTicks;
    }
    if (tickLabels != nullptr) {
        *tickLabels = m_labels;
    }
}

}  // namespace voltaris::charts::detail
