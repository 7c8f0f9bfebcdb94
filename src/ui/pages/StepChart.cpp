// Step-line chart builder.
#include "ui/pages/StepChart.h"

#include <algorithm>

namespace voltaris {

namespace {

using namespace charts;

std::span<const double> firstValues(std::span<const double> values, std::size_t count) {
    return values.first(std::min(values.size(), count));
}

}  // namespace

XYChart MakeStepChart(const StepChartSeries& first, const StepChartSeries& second, double lower,
                      double upper, std::size_t count) {
    XYChart chart(700, 140, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(30, 30, 660, 95, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(55, 0, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    // The plot area leaves 15 pixels below it and 30 to its left: labels one point smaller
    // than the default fit there, four-digit powers included.
    chart.xAxis().setLabelStyle({}, 7);
    chart.yAxis().setLabelStyle({}, 7);
    if (upper != 0) {
        chart.yAxis().setLinearScale(lower, upper, 0, 0);
    }
    chart.addStepLineLayer(firstValues(first.values, count), 0xFF0000, first.name).setLineWidth(2);
    if (!second.values.empty()) {
        chart.addStepLineLayer(firstValues(second.values, count), 0x0000FF, second.name)
            .setLineWidth(2);
    }
    return chart;
}

bool DrawStepChart(ChartSink& sink, int paneId, const StepChartSeries& first,
                   const StepChartSeries& second, double lower, double upper, std::size_t count,
                   const char* fileFormat) {
    return sink.put(MakeStepChart(first, second, lower, upper, count), paneId, fileFormat);
}

}  // namespace voltaris
