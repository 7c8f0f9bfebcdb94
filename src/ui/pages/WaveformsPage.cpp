// Waveforms page builder.
#include "ui/pages/WaveformsPage.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/PaneGrid.h"
#include "ui/charts/CChartPane.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";

// A symmetric fixed scale: -limit .. +limit with a major tick every `tick`.
struct SymmetricScale {
    double limit;
    double tick;
};

// Index 1 onwards of each selector; index 0 is automatic scaling.
constexpr SymmetricScale kVoltageScales[] = {
    {100, 20}, {200, 25}, {300, 50}, {400, 100}, {500, 100}};
constexpr SymmetricScale kCurrentScales[] = {{0.01, 0.0025}, {0.02, 0.005}, {0.05, 0.01},
                                             {0.1, 0.025},   {0.2, 0.05},   {0.5, 0.1},
                                             {1, 0.25},      {2, 0.5},      {5, 1}};
constexpr SymmetricScale kPowerScales[] = {{0.1, 0.025}, {0.2, 0.05}, {0.5, 0.1}, {1, 0.25},
                                           {2, 0.5},     {5, 1},      {10, 2},    {20, 5},
                                           {50, 10},     {100, 20},   {200, 50},  {500, 100}};

constexpr Color kVoltageColour = 0x008000;
constexpr Color kCurrentColour = 0xC00000;
constexpr Color kPowerAxisColour = 0x000080;
constexpr Color kPowerColour = 0x0000FF;

template <std::size_t N>
void applyScale(Axis& axis, const SymmetricScale (&table)[N], int selection) {
    if (selection >= 1 && static_cast<std::size_t>(selection) <= N) {
        const SymmetricScale& s = table[selection - 1];
        axis.setLinearScale(-s.limit, s.limit, s.tick, 0);
    }
}

// Chart, plot area and legend shared by both charts.
XYChart makeFrame() {
    XYChart chart(700, 280, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(40, 30, 620, 220, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(50, 2, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    return chart;
}

std::span<const double> samples(const SampleArray& series, const MeasurementSet& m) {
    const std::size_t count =
        std::min<std::size_t>(std::size_t{m.PeriodsAnalysed} * kSamplesPerPeriod, series.size());
    return std::span<const double>(series.data(), count);
}

// Data-set names come from the string table, as every text the user reads.
std::string entry(int id) {
    return std::string(FindStringEntry(id).value_or(""));
}

std::string fileName(const char* format, const char* prefix) {
    const int length = std::snprintf(nullptr, 0, format, prefix);
    std::string name(static_cast<std::size_t>(std::max(length, 0)), '\0');
    std::snprintf(name.data(), name.size() + 1, format, prefix);
    return name;
}

bool output(const XYChart& chart, PaneGrid& panes, int paneId, const char* prefix,
            const char* fileFormat) {
    if (prefix == nullptr) {
        return panes.pane(paneId).setChart(chart);
    }
    const std::string path = fileName(fileFormat, prefix);
    if (!chart.renderToPng(path)) {
        LogMessage(kLogModule, LogError, "Chart file %s not written", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

XYChart MakeVoltageCurrentChart(const MeasurementSet& m, const WaveformScales& scales) {
    XYChart chart = makeFrame();
    chart.yAxis().setColors(kVoltageColour, kVoltageColour, kVoltageColour, kDefault);
    chart.yAxis2().setColors(kCurrentColour, kCurrentColour, kCurrentColour, kDefault);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    applyScale(chart.yAxis(), kVoltageScales, scales.u);
    applyScale(chart.yAxis2(), kCurrentScales, scales.i);
    layer.addDataSet(samples(m.Voltage, m), kVoltageColour, entry(kStrVoltageSeries));
    layer.addDataSet(samples(m.Current, m), kCurrentColour, entry(kStrCurrentSeries))
        .setUseYAxis2();
    return chart;
}

XYChart MakePowerChart(const MeasurementSet& m, const WaveformScales& scales) {
    XYChart chart = makeFrame();
    chart.yAxis().setColors(kPowerAxisColour, kPowerAxisColour, kPowerAxisColour, kDefault);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    applyScale(chart.yAxis(), kPowerScales, scales.p);
    layer.addDataSet(samples(m.Power, m), kPowerColour, entry(kStrPowerSeries));
    return chart;
}

bool DrawChartWaveforms(const MeasurementSet& m, const WaveformScales& scales, PaneGrid& panes,
                        const char* prefix) {
    LogMessage(kLogModule, LogDebug1, "DrawChartWaveforms");
    if (m.PeriodsAnalysed == 0) {
        return true;
    }
    bool ok = output(MakeVoltageCurrentChart(m, scales), panes, kWaveformPaneVoltageCurrent, prefix,
                     kWaveVoltageCurrentFile);
    ok = output(MakePowerChart(m, scales), panes, kWaveformPanePower, prefix, kWavePowerFile) && ok;
    if (prefix == nullptr) {
        panes.clearAllExcept({kWaveformPaneVoltageCurrent, kWaveformPanePower});
    }
    LogMessage(kLogModule, LogDebug1, "waveform updated");
    return ok;
}

}  // namespace voltaris
