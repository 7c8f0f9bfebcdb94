// Internal to the XY chart: draws the plot area, axes, layers, labels and legend of a laid-out
// chart into its canvas through QCustomPlot.
#pragma once

#include "ui/charts/SeriesLayout.h"

class QImage;

namespace voltaris::charts::detail {

void renderPlot(const XYChart& chart, const ChartLayout& layout, QImage& canvas);

}  // namespace voltaris::charts::detail
