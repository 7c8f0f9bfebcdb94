// The Statistics page: for fifteen quantities, the minimum, average less and plus one standard
// deviation, average and maximum over the captures since the last reset, as small horizontal bar
// charts in the chart panes.
#pragma once

#include <span>

#include "analysis/Statistics.h"
#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

// One chart of the page: its pane, title, the accumulator shown and the value-axis range.
struct StatChartSpec {
    int pane;
    const char* title;
    StatCell cell;
    double axisFrom;
    double axisTo;
};
[[nodiscard]] std::span<const StatChartSpec> StatCharts();

// The 145 x 145 chart of the five bars Min, --Sdev, Avg, +Sdev, Max of `statistic`.
[[nodiscard]] charts::XYChart MakeStatBars(const char* title, StatAccumulator statistic,
                                           double axisFrom, double axisTo);

// Builds the chart and hands it to pane `paneId`; false when it could not be shown (logged).
bool DrawStatBars(ChartSink& sink, int paneId, const char* title, StatAccumulator statistic,
                  double axisFrom, double axisTo);

// Draws the fifteen charts into their panes and clears pane 1059; the window shows the "Reset
// stats" button with the page. The page has no report image: with a file sink nothing is
// written. With no analysed period nothing happens.
PageOutcome DrawChartStatistics(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
