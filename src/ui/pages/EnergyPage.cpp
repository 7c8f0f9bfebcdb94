// Energy page builder.
#include "ui/pages/EnergyPage.h"

#include <cstdio>
#include <span>
#include <string>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";
constexpr Color kEnergyColour = 0xC00000;
// String-table entries of this page.
constexpr int kStrSeconds = 131;       // "Seconds"
constexpr int kStrEnergySeries = 132;  // "Energy (Wh), total = %f W"
constexpr int kNewestItem = static_cast<int>(kEnergyPoints) - 1;

std::string entry(int id) {
    return std::string(FindStringEntry(id).value_or(""));
}

// Chart, plot area, legend, y axis colours and x axis title shared by both charts.
XYChart makeFrame() {
    XYChart chart(700, 280, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(60, 30, 620, 210, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(50, 2, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    chart.yAxis().setColors(kEnergyColour, kEnergyColour, kEnergyColour, kDefault);
    chart.xAxis().setTitle(entry(kStrSeconds), {}, 8, kTextColor);
    return chart;
}

// The legend name with the total, as printf's %f writes it.
std::string energyName(double totalWh) {
    const std::string format = entry(kStrEnergySeries);
    char name[128];
    std::snprintf(name, sizeof name, format.c_str(), totalWh);
    return name;
}

}  // namespace

XYChart MakeEnergyPowerChart(const MeasurementSet& m, const ScaleSelection& scales) {
    XYChart chart = makeFrame();
    LineLayer& layer = chart.addLineLayer2(CombineMethod::Overlay);
    layer.setLineWidth(2);
    if (const ScaleChoice* s = FixedScale(PowerScales(), scales.p)) {
        chart.yAxis().setLinearScale(-s->limit, s->limit, s->tick, 0);
    }
    layer.addDataSet(m.EnergyPower, kEnergyColour, entry(kStrPowerSeries));
    layer.setXData(m.EnergyTime);
    layer.addCustomDataLabel(0, kNewestItem, "End", "arialbd.ttf", 8, kTextColor, 0);
    return chart;
}

XYChart MakeEnergyCumulatedChart(const MeasurementSet& m) {
    XYChart chart = makeFrame();
    AreaLayer& layer = chart.addAreaLayer2(CombineMethod::Stack);
    layer.setLineWidth(2);
    layer.addDataSet(m.EnergyWh, kEnergyColour, energyName(m.EnergyWh[kEnergyPoints - 1]));
    layer.setXData(m.EnergyTime);
    return chart;
}

PageOutcome DrawChartLogging(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChartLogging");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    PageOutcome outcome{.drawn = true};
    outcome.ok = sink.put(MakeEnergyPowerChart(m, data.selections.scales), kEnergyPanePower,
                          kEnergyPowerFile);
    outcome.ok =
        sink.put(MakeEnergyCumulatedChart(m), kEnergyPaneCumulated, kEnergyCumulatedFile) &&
        outcome.ok;
    sink.clearOthers({kEnergyPanePower, kEnergyPaneCumulated});
    LogMessage(kLogModule, LogDebug1, "energy updated");
    return outcome;
}

}  // namespace voltaris
