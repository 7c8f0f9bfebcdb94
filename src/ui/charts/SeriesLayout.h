// Internal to the XY chart: turns layers and data sets into the points that are drawn (stacking,
// percentages, step ends, bar offsets) and resolves the axis scales from them.
#pragma once

#include "ui/charts/XYChart.h"

#include <vector>

namespace voltaris::charts::detail {

struct SeriesPoints {
    const DataSet* dataSet = nullptr;
    int dataSetIndex = 0;
    std::vector<double> x;
    std::vector<double> y;     // top of the item (after stacking)
    std::vector<double> base;  // bottom of stacked bars and areas; empty: the axis base
    std::vector<double> raw;   // the item's own value, for labels
    bool yAxis2 = false;
    bool xIncreasing = true;  // x never decreases, so the line may be reduced per column
};

struct LayerPoints {
    const Layer* layer = nullptr;
    std::vector<SeriesPoints> series;
    double barWidth = 0.8;  // in x units, bars only
};

struct ChartLayout {
    std::vector<LayerPoints> layers;
    ChartScales scales;
    bool categoryX = true;  // x is the item index (no x data anywhere)
};

[[nodiscard]] ChartLayout layoutChart(const XYChart& chart);

// Pixel position of a value on a resolved scale between pixels p0 (lower) and p1 (upper).
[[nodiscard]] double scaleToPixel(const AxisScale& scale, double value, double p0, double p1);

}  // namespace voltaris::charts::detail
