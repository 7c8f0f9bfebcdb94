// Statistics page builder.
#include "ui/pages/StatisticsPage.h"

#include <array>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/pages/PageText.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";

constexpr Color kBarColour = 0x008000;
constexpr Color kLabelColour = 0x443300;

// Titles 125 to 127 repeat the string-table entries of the same text. The reactive power reads
// "Q (VA)" here.
constexpr StatChartSpec kCharts[] = {
    {1044, "Vrms (V)", kStatVrms, 0, 400},   {1046, "Irms (A)", kStatIrms, 0, 5},
    {1045, "Prms (W)", kStatPrms, 0, 600},   {1047, "S (VA)", kStatS, 0, 600},
    {1048, "Vpeak (V)", kStatVpeak, 0, 600}, {1050, "Ipeak (A)", kStatIpeak, 0, 8},
    {1049, "Peak (W)", kStatPpeak, 0, 1250}, {1051, "Q (VA)", kStatQ, 0, 1250},
    {1052, "Vcrest", kStatVcrest, 1, 10},    {1054, "Icrest", kStatIcrest, 1, 10},
    {1053, "Pcrest", kStatPcrest, 1, 10},    {1055, "PF", kStatPF, 0, 1},
    {1056, "THD V (%)", kStatTHDV, 0, 100},  {1058, "THD I (%)", kStatTHDI, 0, 100},
    {1057, "F (Hz)", kStatF, 40, 70},
};

}  // namespace

std::span<const StatChartSpec> StatCharts() {
    return kCharts;
}

XYChart MakeStatBars(const char* title, StatAccumulator statistic, double axisFrom, double axisTo) {
    // A deviation larger than the average gives a negative "--Sdev" bar, charted as it is.
    const std::array<double, 5> values = {statistic.min, statistic.avg - statistic.sdev,
                                          statistic.avg, statistic.avg + statistic.sdev,
                                          statistic.max};
    XYChart chart(145, 145, 0xEEEEFF, 0x000000, 1);
    chart.addTitle(title, "arialbi.ttf", 12, kTextColor, kTransparent, kTransparent);
    chart.setPlotArea(43, 38, 66, 80, kTransparent, kTransparent, kTransparent, kTransparent,
                      kTransparent);
    chart.yAxis().setLinearScale(axisFrom, axisTo, 0, 0);
    BarLayer& layer = chart.addBarLayer(values, kBarColour);
    chart.swapXY();
    layer.setBarGap(0.1);
    layer.setAggregateLabelFormat("{value|3 }");
    layer.setAggregateLabelStyle("ariali.ttf", 9, kLabelColour, 0);
    chart.xAxis()
        .setLabels({"Min", "--Sdev", PageString(kStrAvg), "+Sdev", "Max"})
        .setFontStyle("ariali.ttf")
        .setFontSize(9);
    chart.xAxis().setColors(kTransparent, kLabelColour, kDefault, kDefault);
    chart.yAxis().setColors(kTransparent, kTransparent, kDefault, kDefault);
    return chart;
}

bool DrawStatBars(ChartSink& sink, int paneId, const char* title, StatAccumulator statistic,
                  double axisFrom, double axisTo) {
    // The chart has no file of its own: it goes to its pane only.
    return sink.put(MakeStatBars(title, statistic, axisFrom, axisTo), paneId, "");
}

PageOutcome DrawChartStatistics(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChartStatistics");
    if (data.measurements.PeriodsAnalysed == 0) {
        return {};
    }
    PageOutcome outcome{.drawn = true};
    if (!sink.onScreen()) {
        return outcome;
    }
    for (const StatChartSpec& c : kCharts) {
        outcome.ok = DrawStatBars(sink, c.pane, c.title, data.statistics.record(c.cell), c.axisFrom,
                                  c.axisTo) &&
                     outcome.ok;
    }
    sink.clearOthers(
        {1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1058});
    return outcome;
}

}  // namespace voltaris
