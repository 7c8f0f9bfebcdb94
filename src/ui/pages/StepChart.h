// The two-series step-line chart (700 x 140) of the per-period views: the Transient analysis
// page and the report draw their charts with it.
#pragma once

#include <span>
#include <string>

#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"

namespace voltaris {

struct StepChartSeries {
    std::string name;  // legend name; empty for none
    std::span<const double> values;
};

// The chart of the first `count` values of both series (red, then blue), over the point index.
// An upper limit other than 0 fixes the y axis from `lower` to `upper`; 0 scales it
// automatically. A second series without values draws no second line.
[[nodiscard]] charts::XYChart MakeStepChart(const StepChartSeries& first,
                                            const StepChartSeries& second, double lower,
                                            double upper, std::size_t count);

// Builds the chart and hands it to `sink`: to pane `paneId` on screen, to the file that
// `fileFormat` names otherwise. False when it could not be shown or written (logged).
bool DrawStepChart(ChartSink& sink, int paneId, const StepChartSeries& first,
                   const StepChartSeries& second, double lower, double upper, std::size_t count,
                   const char* fileFormat);

}  // namespace voltaris
