// Points and scales of an XY chart.
#include "ui/charts/SeriesLayout.h"

#include "ui/charts/LineReduction.h"

#include <algorithm>
#include <cmath>

namespace voltaris::charts::detail {
namespace {

constexpr int kVerticalTickPixels = 25;
constexpr int kHorizontalTickPixels = 50;

double valueAt(const std::vector<double>& v, std::size_t i) {
    return i < v.size() ? v[i] : NAN;
}

// Values of every data set after combining: stacked sums, percentages or the plain values.
void combine(const Layer& layer, LayerPoints& out) {
    const auto& sets = layer.dataSets();
    std::size_t count = 0;
    for (const DataSet& set : sets) {
        count = std::max(count, set.values().size());
    }
    const CombineMethod method = layer.combineMethod();
    const bool stacked = method == CombineMethod::Stack || method == CombineMethod::Percentage;
    std::vector<double> totals(count, 0.0);
    if (method == CombineMethod::Percentage) {
        for (const DataSet& set : sets) {
            for (std::size_t i = 0; i < set.values().size(); ++i) {
                if (std::isfinite(set.values()[i])) {
                    totals[i] += set.values()[i];
                }
            }
        }
    }
    std::vector<double> running(count, 0.0);
    int index = 0;
    for (const DataSet& set : sets) {
        SeriesPoints s;
        s.dataSet = &set;
        s.dataSetIndex = index++;
        s.yAxis2 = set.usesYAxis2();
        s.raw = set.values();
        s.y = set.values();
        if (stacked) {
            s.base.resize(s.y.size());
            for (std::size_t i = 0; i < s.y.size(); ++i) {
                double v = s.y[i];
                if (method == CombineMethod::Percentage) {
                    v = totals[i] != 0 ? v * 100.0 / totals[i] : 0;
                }
                s.base[i] = running[i];
                if (std::isfinite(v)) {
                    running[i] += v;
                }
                s.y[i] = std::isfinite(v) ? running[i] : NAN;
            }
        }
        out.series.push_back(std::move(s));
    }
}

void placeX(const Layer& layer, LayerPoints& out) {
    const auto* bars =
        layer.kind() == LayerKind::Bar ? static_cast<const BarLayer*>(&layer) : nullptr;
    const std::size_t sets = out.series.size();
    const bool side = bars != nullptr && layer.combineMethod() == CombineMethod::Side && sets > 1;
    double offsetStep = 0;
    double firstOffset = 0;
    if (bars != nullptr) {
        const double group = 1.0 - bars->barGap();
        if (side) {
            const double r = bars->overlapRatio();
            const double width = group / (1.0 + (sets - 1) * (1.0 - r));
            offsetStep = width * (1.0 - r);
            firstOffset = -group / 2 + width / 2;
            out.barWidth = width * (1.0 - bars->subBarGap());
        } else {
            out.barWidth = group;
        }
    }
    for (std::size_t k = 0; k < sets; ++k) {
        SeriesPoints& s = out.series[k];
        if (layer.hasXData() && layer.xData().size() < s.y.size()) {
            // Items without an x value have no place on the chart.
            const std::size_t n = layer.xData().size();
            s.y.resize(n);
            s.raw.resize(n);
            s.base.resize(std::min(s.base.size(), n));
        }
        const double offset = side ? firstOffset + static_cast<double>(k) * offsetStep : 0;
        s.x.resize(s.y.size());
        for (std::size_t i = 0; i < s.y.size(); ++i) {
            s.x[i] = layer.hasXData() ? valueAt(layer.xData(), i) : static_cast<double>(i) + offset;
        }
        if (layer.kind() == LayerKind::StepLine && !s.y.empty()) {
            // The last value holds for one more unit, so every item is a visible step.
            const double lastX = s.x.back();
            const double width = s.x.size() > 1 ? lastX - s.x[s.x.size() - 2] : 1.0;
            s.x.push_back(lastX + (std::isfinite(width) && width > 0 ? width : 1.0));
            s.y.push_back(s.y.back());
            if (!s.base.empty()) {
                s.base.push_back(s.base.back());
            }
        }
        s.xIncreasing = isNonDecreasing(s.x);
    }
}

// Category axis: labels (or index numbers) at whole positions.
AxisScale categoryScale(const Axis& axis, double lower, double upper, int pixels) {
    AxisScale scale;
    scale.lower = lower;
    scale.upper = upper;
    if (axis.hasLabels()) {
        scale.majorStep = 1;
        for (std::size_t i = 0; i < axis.labels().size(); ++i) {
            const double pos = static_cast<double>(i);
            if (pos >= lower - 1e-9 && pos <= upper + 1e-9) {
                scale.majorTicks.push_back(pos);
            }
        }
        return scale;
    }
    const double step =
        std::max(1.0, niceStep(upper - lower, std::max(1, pixels / kHorizontalTickPixels)));
    scale.majorStep = step;
    for (double t = std::ceil(lower / step) * step; t <= upper + 1e-9; t += step) {
        scale.majorTicks.push_back(t);
    }
    return scale;
}

}  // namespace

double scaleToPixel(const AxisScale& scale, double value, double p0, double p1) {
    if (scale.logarithmic) {
        if (!(value > 0) || !(scale.lower > 0)) {
            return value > 0 ? p1 : p0;
        }
        const double span = std::log(scale.upper / scale.lower);
        return p0 + (p1 - p0) * std::log(value / scale.lower) / span;
    }
    const double span = scale.upper - scale.lower;
    return span == 0 ? p0 : p0 + (p1 - p0) * (value - scale.lower) / span;
}

ChartLayout layoutChart(const XYChart& chart) {
    ChartLayout layout;
    std::size_t maxCount = 0;
    bool anyBars = false;
    bool anySteps = false;
    DataExtent xData;
    DataExtent yData;
    DataExtent y2Data;
    bool y2Used = false;
    for (const auto& layerPtr : chart.layers()) {
        const Layer& layer = *layerPtr;
        LayerPoints points;
        points.layer = &layer;
        combine(layer, points);
        placeX(layer, points);
        anyBars = anyBars || layer.kind() == LayerKind::Bar;
        anySteps = anySteps || layer.kind() == LayerKind::StepLine;
        if (layer.hasXData()) {
            layout.categoryX = false;
        }
        const bool fromZero = layer.kind() == LayerKind::Bar || layer.kind() == LayerKind::Area;
        for (const SeriesPoints& s : points.series) {
            maxCount = std::max(maxCount, s.raw.size());
            DataExtent& target = s.yAxis2 ? y2Data : yData;
            y2Used = y2Used || s.yAxis2;
            for (double v : s.y) {
                target.add(v);
            }
            for (double v : s.base) {
                target.add(v);
            }
            if (fromZero && !s.y.empty()) {
                target.add(0);
            }
            if (layer.hasXData()) {
                for (double v : s.x) {
                    xData.add(v);
                }
            }
        }
        layout.layers.push_back(std::move(points));
    }

    const PlotArea& area = chart.plotArea();
    const int xPixels = chart.swapped() ? area.height : area.width;
    const int yPixels = chart.swapped() ? area.width : area.height;
    const int yTick = chart.swapped() ? kHorizontalTickPixels : kVerticalTickPixels;
    const int xTick = chart.swapped() ? kVerticalTickPixels : kHorizontalTickPixels;

    const ScaleSetting& xSetting = chart.xAxis().scaleSetting();
    if (xSetting.mode != ScaleMode::Auto || !layout.categoryX) {
        layout.scales.x = resolveScale(xSetting, xData, xPixels, {false, true, xTick});
    } else {
        std::size_t count = std::max(maxCount, chart.xAxis().labels().size());
        double lower = 0;
        double upper = count > 0 ? static_cast<double>(count - 1) : 1.0;
        if (anyBars || (chart.xAxis().hasLabels() && !anySteps)) {
            lower = -0.5;
            upper = count > 0 ? static_cast<double>(count) - 0.5 : 0.5;
        } else if (anySteps) {
            upper = static_cast<double>(std::max<std::size_t>(count, 1));
        } else if (upper <= lower) {
            lower = -0.5;
            upper = 0.5;
        }
        layout.scales.x = categoryScale(chart.xAxis(), lower, upper, xPixels);
    }
    layout.scales.y =
        resolveScale(chart.yAxis().scaleSetting(), yData, yPixels, {true, true, yTick});
    layout.scales.y2Shown = y2Used || chart.yAxis2().configured();
    layout.scales.y2 =
        resolveScale(chart.yAxis2().scaleSetting(), y2Data, yPixels, {true, true, yTick});
    return layout;
}

}  // namespace voltaris::charts::detail
