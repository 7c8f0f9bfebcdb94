// Internal to the XY chart: QCustomPlot plottables and ticker tuned for still images. Long lines
// are stroked in short pieces (the raster engine strokes one long wide antialiased polyline very
// slowly), bars take per-item colours and bevels, and axes take precomputed ticks.
#pragma once

#include <qcustomplot.h>

#include <vector>

namespace voltaris::charts::detail {

// Number of segments stroked per polyline call.
inline constexpr int kStrokePiece = 12;

// Strokes the polyline in pieces of kStrokePiece segments; NaN points break the line.
void strokeInPieces(QCPPainter* painter, const QVector<QPointF>& points);

class PiecewiseGraph : public QCPGraph {
public:
    PiecewiseGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, bool piecewise);

protected:
    void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override;

private:
    bool m_piecewise;
};

// An x-y curve; with `reduce`, runs of points on one device pixel shrink to where the curve
// enters and leaves it, and steps the curve has already made are not stroked again
// (reduceToPixels, dropRetracedSegments).
class PiecewiseCurve : public QCPCurve {
public:
    PiecewiseCurve(QCPAxis* keyAxis, QCPAxis* valueAxis, bool piecewise, bool reduce);

protected:
    void drawCurveLine(QCPPainter* painter, const QVector<QPointF>& lines) const override;

private:
    bool m_piecewise;
    bool m_reduce;
};

// Bars whose items each have a colour (by data index), with an optional edge and bevel.
class ColoredBars : public QCPBars {
public:
    ColoredBars(QCPAxis* keyAxis, QCPAxis* valueAxis);

    void setItemColors(std::vector<QColor> colors) { m_colors = std::move(colors); }
    void setEdge(const QColor& edge) { m_edge = edge; }
    void setRaisedEffect(int raised) { m_raised = raised; }

protected:
    void draw(QCPPainter* painter) override;

private:
    std::vector<QColor> m_colors;
    QColor m_edge;
    int m_raised = 0;
};

// Ticks, minor ticks and labels fixed in advance.
class FixedTicker : public QCPAxisTicker {
public:
    FixedTicker(QVector<double> ticks, QVector<double> minorTicks, QVector<QString> labels);

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

private:
    QVector<double> m_ticks;
    QVector<double> m_minorTicks;
    QVector<QString> m_labels;
};

}  // namespace voltaris::charts::detail
