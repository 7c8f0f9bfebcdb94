// Drawing of an XY chart through QCustomPlot, with the plot area at its exact pixel rectangle.
#include "ui/charts/XYChartRender.h"

#include "ui/charts/ChartPaint.h"
#include "ui/charts/LabelFormat.h"
#include "ui/charts/LineReduction.h"
#include "ui/charts/QcpPlottables.h"

#include <qcustomplot.h>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace voltaris::charts::detail {
namespace {

constexpr int kMajorTickLength = 3;
constexpr int kMinorTickLength = 2;
constexpr int kLabelGap = 3;

struct PlotAxes {
    QCPAxis* x = nullptr;
    QCPAxis* y = nullptr;
    QCPAxis* y2 = nullptr;
};

QVector<double> toVector(const std::vector<double>& v) {
    return QVector<double>(v.begin(), v.end());
}

QString tickText(double value) {
    return QString::fromStdString(formatPlain(std::fabs(value) < 1e-12 ? 0.0 : value));
}

void paintPlotBackground(QPainter& painter, const XYChart& chart, const ChartLayout& layout) {
    const PlotArea& area = chart.plotArea();
    const QRectF rect(area.x, area.y, area.width, area.height);
    paintFill(painter, rect, Fill(area.background));
    const QColor alt = toQColor(area.altBackground, kTransparent);
    if (alt.alpha() > 0) {
        // Bands between the major ticks of the vertical axis, from the bottom: plain, alternate,
        // plain, ...
        const AxisScale& scale = chart.swapped() ? layout.scales.x : layout.scales.y;
        std::vector<double> edges{scale.lower};
        for (double t : scale.majorTicks) {
            if (t > edges.back()) {
                edges.push_back(t);
            }
        }
        if (scale.upper > edges.back()) {
            edges.push_back(scale.upper);
        }
        // Same pixel mapping as QCustomPlot's vertical axes (from the row above the bottom);
        // the swapped x axis runs from the top down.
        const double from = chart.swapped() ? rect.top() - 1 : rect.bottom() - 1;
        const double to = chart.swapped() ? rect.bottom() - 1 : rect.top() - 1;
        for (std::size_t i = 2; i < edges.size(); i += 2) {
            const double p0 = scaleToPixel(scale, edges[i - 1], from, to);
            const double p1 = scaleToPixel(scale, edges[i], from, to);
            const QRectF band(rect.left(), std::min(p0, p1), rect.width(), std::fabs(p1 - p0));
            painter.fillRect(band.intersected(rect), alt);
        }
    }
    paintEdge(painter, rect, area.edge == kDefault ? kTransparent : area.edge, 0);
}

void configureAxis(QCPAxis* axis, const Axis& spec, const AxisScale& scale, bool shown,
                   bool categoryLabels, Color gridColor) {
    axis->setVisible(shown);
    axis->grid()->setVisible(false);
    if (!shown) {
        return;
    }
    axis->setScaleType(scale.logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    axis->setRange(scale.lower, scale.upper);

    QVector<double> ticks = toVector(scale.majorTicks);
    QVector<QString> labels;
    labels.reserve(ticks.size());
    for (double t : scale.majorTicks) {
        if (categoryLabels) {
            const auto i = static_cast<std::size_t>(std::lround(t));
            labels.push_back(i < spec.labels().size() ? toQString(spec.labels()[i]) : QString());
        } else {
            labels.push_back(tickText(t));
        }
    }
    axis->setTicker(QSharedPointer<FixedTicker>::create(ticks, toVector(scale.minorTicks), labels));
    axis->setSubTicks(!scale.minorTicks.empty());

    const QColor line = toQColor(spec.axisColor(), kLineColor);
    axis->setBasePen(line.alpha() > 0 ? QPen(line, 1) : QPen(Qt::NoPen));
    const QColor tick = toQColor(spec.tickColor(), kLineColor);
    axis->setTickPen(tick.alpha() > 0 ? QPen(tick, 1) : QPen(Qt::NoPen));
    axis->setSubTickPen(tick.alpha() > 0 ? QPen(tick, 1) : QPen(Qt::NoPen));
    axis->setTickLengthIn(0);
    axis->setTickLengthOut(kMajorTickLength);
    axis->setSubTickLengthIn(0);
    axis->setSubTickLengthOut(kMinorTickLength);

    const TextBox& style = spec.labelStyle();
    const QColor labelColor = toQColor(style.fontColor(), kTextColor);
    axis->setTickLabels(labelColor.alpha() > 0);
    axis->setTickLabelColor(labelColor);
    axis->setTickLabelFont(chartFont(style.font(), style.fontSize()));
    axis->setTickLabelRotation(-style.angle());
    axis->setTickLabelPadding(kLabelGap);

    const TextBox& title = spec.title();
    const QColor titleColor = toQColor(title.fontColor(), kTextColor);
    axis->setLabel(titleColor.alpha() > 0 ? toQString(title.text()) : QString());
    axis->setLabelColor(titleColor);
    axis->setLabelFont(chartFont(title.font(), title.fontSize()));
    axis->setLabelPadding(kLabelGap);
    axis->setOffset(0);
    axis->setPadding(0);

    const QColor grid = toQColor(gridColor, kTransparent);
    if (grid.alpha() > 0) {
        axis->grid()->setVisible(true);
        axis->grid()->setPen(QPen(grid, 1));
        axis->grid()->setZeroLinePen(Qt::NoPen);
        axis->grid()->setSubGridVisible(false);
    }
}

QPen linePen(Color color, int width) {
    const QColor c = toQColor(color, kLineColor);
    if (width <= 0 || c.alpha() == 0) {
        return QPen(Qt::NoPen);
    }
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Values a logarithmic axis cannot show become gaps.
std::vector<double> forAxis(const std::vector<double>& values, const QCPAxis* axis) {
    if (axis->scaleType() != QCPAxis::stLogarithmic) {
        return values;
    }
    std::vector<double> out(values);
    for (double& v : out) {
        if (!(v > 0)) {
            v = NAN;
        }
    }
    return out;
}

int keyPixels(const QCPAxis* keyAxis, const PlotArea& area) {
    return keyAxis->orientation() == Qt::Horizontal ? area.width : area.height;
}

QCPAbstractPlottable* addLineSeries(const XYChart& chart, const Layer& layer, const SeriesPoints& s,
                                    QCPAxis* keyAxis, QCPAxis* valueAxis, const AxisScale& xScale,
                                    QCPGraph* below) {
    const std::vector<double> values = forAxis(s.y, valueAxis);
    const bool fast = chart.fastLines();
    const QPen pen = layer.kind() == LayerKind::Area && layer.borderColor() != kDefault
                         ? linePen(layer.borderColor(), layer.lineWidth())
                         : linePen(s.dataSet->color(), layer.lineWidth());
    if (!s.xIncreasing) {
        // x-y curve: points joined in their own order.
        auto* curve = new PiecewiseCurve(keyAxis, valueAxis, fast, chart.reduceLines());
        QVector<double> t(static_cast<qsizetype>(values.size()));
        std::iota(t.begin(), t.end(), 0.0);
        curve->setData(t, toVector(s.x), toVector(values), true);
        curve->setPen(pen);
        curve->setBrush(Qt::NoBrush);
        return curve;
    }
    auto* graph = new PiecewiseGraph(keyAxis, valueAxis, fast);
    graph->setAdaptiveSampling(false);
    const int columns = keyPixels(keyAxis, chart.plotArea());
    if (chart.reduceLines() && values.size() > static_cast<std::size_t>(columns) * 2 &&
        !xScale.logarithmic) {
        // QCustomPlot shifts antialiased drawing by half a pixel, so pixel edges fall half a
        // column off the scale's ends: the reduction's columns are the pixel columns.
        const double half = 0.5 * (xScale.upper - xScale.lower) / columns;
        const ReducedLine reduced =
            reduceToColumns(s.x, values, xScale.lower - half, xScale.upper + half, columns + 1);
        graph->setData(toVector(reduced.x), toVector(reduced.y), true);
    } else {
        graph->setData(toVector(s.x), toVector(values), true);
    }
    graph->setLineStyle(layer.kind() == LayerKind::StepLine ? QCPGraph::lsStepLeft
                                                            : QCPGraph::lsLine);
    graph->setPen(pen);
    if (layer.kind() == LayerKind::Area) {
        graph->setBrush(toQColor(s.dataSet->color(), kLineColor));
        if (below != nullptr) {
            graph->setChannelFillGraph(below);
        }
    } else {
        graph->setBrush(Qt::NoBrush);
    }
    return graph;
}

void addBarSeries(const LayerPoints& lp, QCPAxis* keyAxis, const PlotAxes& axes) {
    const auto& layer = static_cast<const BarLayer&>(*lp.layer);
    const CombineMethod method = layer.combineMethod();
    const bool stacked = method == CombineMethod::Stack || method == CombineMethod::Percentage;
    std::vector<std::size_t> order(lp.series.size());
    std::iota(order.begin(), order.end(), 0);
    if (method == CombineMethod::Side && layer.firstOnTop()) {
        std::reverse(order.begin(), order.end());  // painted last is on top
    }
    QCPBars* previous = nullptr;
    for (std::size_t k : order) {
        const SeriesPoints& s = lp.series[k];
        QCPAxis* valueAxis = s.yAxis2 ? axes.y2 : axes.y;
        auto* bars = new ColoredBars(keyAxis, valueAxis);
        bars->setWidthType(QCPBars::wtPlotCoords);
        bars->setWidth(lp.barWidth);
        const bool log = valueAxis->scaleType() == QCPAxis::stLogarithmic;
        bars->setBaseValue(log ? valueAxis->range().lower : 0.0);
        // Items sorted by position, each keeping its colour.
        struct Item {
            double key;
            double value;
            QColor color;
        };
        std::vector<Item> items;
        const auto& colors = s.dataSet->itemColors();
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            if (!std::isfinite(s.x[i])) {
                continue;
            }
            const double value = stacked && i < s.base.size() ? s.y[i] - s.base[i] : s.y[i];
            const Color c = i < colors.size() ? colors[i] : s.dataSet->color();
            items.push_back({s.x[i], value, toQColor(c, kLineColor)});
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const Item& a, const Item& b) { return a.key < b.key; });
        QVector<double> keys;
        QVector<double> values;
        std::vector<QColor> itemColors;
        for (const Item& item : items) {
            keys.push_back(item.key);
            values.push_back(item.value);
            itemColors.push_back(item.color);
        }
        bars->setData(keys, values, true);
        bars->setBrush(toQColor(s.dataSet->color(), kLineColor));
        bars->setItemColors(std::move(itemColors));
        if (layer.borderColor() != kDefault) {
            bars->setEdge(toQColor(layer.borderColor(), kLineColor));
        }
        bars->setRaisedEffect(layer.borderRaisedEffect());
        if (stacked && previous != nullptr) {
            bars->moveAbove(previous);
        }
        previous = bars;
    }
}

QPointF toPixel(double key, double value, const QCPAxis* keyAxis, const QCPAxis* valueAxis) {
    const double k = keyAxis->coordToPixel(key);
    const double v = valueAxis->coordToPixel(value);
    return keyAxis->orientation() == Qt::Horizontal ? QPointF(k, v) : QPointF(v, k);
}

// Places a label just beyond the end of item i: above or below a vertical bar or a point,
// right or left of a horizontal bar. A label that would leave the chart goes just inside the end
// instead, so it stays readable.
void paintItemLabel(QPainter& painter, const TextBox& box, const SeriesPoints& s, std::size_t i,
                    const QCPAxis* keyAxis, const QCPAxis* valueAxis) {
    if (i >= s.y.size() || !std::isfinite(s.y[i]) || !std::isfinite(s.x[i])) {
        return;
    }
    if (valueAxis->scaleType() == QCPAxis::stLogarithmic && !(s.y[i] > valueAxis->range().lower)) {
        return;  // at or below the bottom of a logarithmic axis: no bar or point to mark
    }
    const double base = i < s.base.size() ? s.base[i] : 0.0;
    const bool negative = s.y[i] < base;
    const QPointF end = toPixel(s.x[i], s.y[i], keyAxis, valueAxis);
    const QRectF canvas(0, 0, painter.device()->width(), painter.device()->height());
    if (keyAxis->orientation() == Qt::Horizontal) {
        const bool down = negative != valueAxis->rangeReversed();
        QPointF anchor = end + QPointF(0, down ? kLabelGap : -kLabelGap);
        int alignment = down ? kTopCenter : kBottomCenter;
        const QRectF r = textBoxRect(box, anchor, alignment);
        if (r.top() < canvas.top() || r.bottom() > canvas.bottom()) {
            anchor = end + QPointF(0, down ? -kLabelGap : kLabelGap);
            alignment = down ? kBottomCenter : kTopCenter;
        }
        paintTextBox(painter, box, anchor, alignment);
        return;
    }
    const bool leftward = negative != valueAxis->rangeReversed();
    QPointF anchor = end + QPointF(leftward ? -kLabelGap : kLabelGap, 0);
    int alignment = leftward ? kRight : kLeft;
    const QRectF r = textBoxRect(box, anchor, alignment);
    if (r.left() < canvas.left() || r.right() > canvas.right()) {
        anchor = end + QPointF(leftward ? kLabelGap : -kLabelGap, 0);
        alignment = leftward ? kLeft : kRight;
    }
    paintTextBox(painter, box, anchor, alignment);
}

void paintLabels(QPainter& painter, const ChartLayout& layout, const PlotAxes& axes,
                 QCPAxis* keyAxis) {
    for (const LayerPoints& lp : layout.layers) {
        const Layer& layer = *lp.layer;
        const bool stacked = layer.combineMethod() == CombineMethod::Stack ||
                             layer.combineMethod() == CombineMethod::Percentage;
        if (!layer.aggregateLabelFormat().empty() && !lp.series.empty()) {
            const std::size_t first = stacked ? lp.series.size() - 1 : 0;
            for (std::size_t k = first; k < lp.series.size(); ++k) {
                const SeriesPoints& s = lp.series[k];
                const QCPAxis* valueAxis = s.yAxis2 ? axes.y2 : axes.y;
                for (std::size_t i = 0; i < s.raw.size(); ++i) {
                    const double value = stacked ? s.y[i] : s.raw[i];
                    if (!std::isfinite(value)) {
                        continue;
                    }
                    TextBox box = layer.aggregateLabelStyle();
                    box.setText(
                        formatLabel(layer.aggregateLabelFormat(), value, layer.fieldsAt(i)));
                    paintItemLabel(painter, box, s, i, keyAxis, valueAxis);
                }
            }
        }
        for (const CustomLabel& label : layer.customLabels()) {
            if (label.dataSet < 0 || label.index < 0 ||
                static_cast<std::size_t>(label.dataSet) >= lp.series.size()) {
                continue;
            }
            const SeriesPoints& s = lp.series[static_cast<std::size_t>(label.dataSet)];
            const auto index = static_cast<std::size_t>(label.index);
            if (index >= s.raw.size()) {
                continue;  // no such item: nothing to mark
            }
            paintItemLabel(painter, label.box, s, index, keyAxis, s.yAxis2 ? axes.y2 : axes.y);
        }
    }
}

void paintLegend(QPainter& painter, const XYChart& chart) {
    const Legend& legend = *chart.legend();
    struct Entry {
        QString name;
        QColor color;
        bool line;
        int width;
    };
    std::vector<Entry> entries;
    for (const auto& layer : chart.layers()) {
        const bool line = layer->kind() == LayerKind::Line || layer->kind() == LayerKind::StepLine;
        for (const DataSet& set : layer->dataSets()) {
            if (!set.name().empty()) {
                entries.push_back({toQString(set.name()), toQColor(set.color(), kLineColor), line,
                                   std::max(1, layer->lineWidth())});
            }
        }
    }
    if (entries.empty()) {
        return;
    }
    const QFont font = chartFont(legend.font(), legend.fontSize());
    const QFontMetricsF metrics(font);
    const double rowHeight = std::ceil(metrics.height());
    const double key = std::max(6.0, std::round(rowHeight * 0.7));
    const double keyWidth = key;
    const double keyGap = 4;
    const double entryGap = 12;
    const double margin = legend.margin();
    std::vector<double> widths;
    double contentW = 0;
    double contentH = 0;
    for (const Entry& e : entries) {
        const double w = keyWidth + keyGap + std::ceil(metrics.horizontalAdvance(e.name));
        widths.push_back(w);
        if (legend.vertical()) {
            contentW = std::max(contentW, w);
            contentH += rowHeight;
        } else {
            contentW += w + (contentW > 0 ? entryGap : 0);
            contentH = rowHeight;
        }
    }
    const QRectF box(legend.x(), legend.y(), std::ceil(contentW + 2 * margin),
                     std::ceil(contentH + 2 * margin));
    paintFill(painter, box, Fill(legend.background()));
    paintEdge(painter, box, legend.edge() == kDefault ? legend.background() : legend.edge(),
              legend.raisedEffect());
    painter.save();
    painter.setFont(font);
    const QColor textColor = toQColor(legend.fontColor(), kTextColor);
    double x = box.left() + margin;
    double y = box.top() + margin;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const double midY = y + rowHeight / 2;
        painter.setRenderHint(QPainter::Antialiasing, false);
        if (e.line) {
            const double thickness = std::min<double>(e.width, key / 2);
            painter.fillRect(QRectF(x, std::round(midY - thickness / 2), keyWidth, thickness),
                             e.color);
        } else {
            painter.fillRect(QRectF(x, std::round(midY - key / 2), key, key), e.color);
        }
        painter.setPen(textColor);
        painter.drawText(QRectF(x + keyWidth + keyGap, y, widths[i], rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, e.name);
        if (legend.vertical()) {
            y += rowHeight;
        } else {
            x += widths[i] + entryGap;
        }
    }
    painter.restore();
}

}  // namespace

void renderPlot(const XYChart& chart, const ChartLayout& layout, QImage& canvas) {
    {
        QPainter painter(&canvas);
        paintPlotBackground(painter, chart, layout);
    }
    const PlotArea& area = chart.plotArea();
    QCustomPlot plot;
    plot.setViewport(QRect(0, 0, canvas.width(), canvas.height()));
    plot.setBackground(Qt::NoBrush);
    plot.setAntialiasedElements(QCP::aePlottables | QCP::aeFills);
    plot.setNotAntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeSubGrid | QCP::aeZeroLine);
    plot.plotLayout()->setMargins(QMargins());
    QCPAxisRect* rect = plot.axisRect();
    rect->setAutoMargins(QCP::msNone);
    rect->setMinimumSize(1, 1);
    rect->setMargins(QMargins(area.x, area.y, canvas.width() - area.x - area.width,
                              canvas.height() - area.y - area.height));
    rect->setBackground(Qt::NoBrush);

    const bool swapped = chart.swapped();
    PlotAxes axes;
    axes.x = rect->axis(swapped ? QCPAxis::atLeft : QCPAxis::atBottom);
    axes.y = rect->axis(swapped ? QCPAxis::atBottom : QCPAxis::atLeft);
    axes.y2 = rect->axis(swapped ? QCPAxis::atTop : QCPAxis::atRight);
    rect->axis(swapped ? QCPAxis::atRight : QCPAxis::atTop)->setVisible(false);

    const bool categoryLabels = layout.categoryX && chart.xAxis().hasLabels();
    configureAxis(axes.x, chart.xAxis(), layout.scales.x, true, categoryLabels,
                  swapped ? area.hGrid : area.vGrid);
    axes.x->setRangeReversed(swapped);
    configureAxis(axes.y, chart.yAxis(), layout.scales.y, true, false,
                  swapped ? area.vGrid : area.hGrid);
    configureAxis(axes.y2, chart.yAxis2(), layout.scales.y2, layout.scales.y2Shown, false,
                  kTransparent);

    for (const LayerPoints& lp : layout.layers) {
        if (lp.layer->kind() == LayerKind::Bar) {
            addBarSeries(lp, axes.x, axes);
            continue;
        }
        // Stacked areas fill down to the data set below them.
        const CombineMethod method = lp.layer->combineMethod();
        const bool stacked = method == CombineMethod::Stack || method == CombineMethod::Percentage;
        QCPGraph* below = nullptr;
        for (const SeriesPoints& s : lp.series) {
            auto* plottable = addLineSeries(chart, *lp.layer, s, axes.x,
                                            s.yAxis2 ? axes.y2 : axes.y, layout.scales.x, below);
            if (stacked) {
                below = dynamic_cast<QCPGraph*>(plottable);
            }
        }
    }

    {
        QCPPainter painter(&canvas);
        plot.toPainter(&painter, canvas.width(), canvas.height());
    }
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintLabels(painter, layout, axes, axes.x);
    if (chart.legend().has_value()) {
        paintLegend(painter, chart);
    }
}

}  // namespace voltaris::charts::detail
