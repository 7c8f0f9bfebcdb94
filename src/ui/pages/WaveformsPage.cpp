// Waveforms page builder.
#include "ui/pages/WaveformsPage.h"

#include <algorithm>
#include <span>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";

constexpr Color kVoltageColour = 0x008000;
constexpr Color kCurrentColour = 0xC00000;
constexpr Color kPowerAxisColour = 0x000080;
constexpr Color kPowerColour = 0x0000FF;

// A fixed scale from the list is symmetric around 0 with no minor ticks; automatic otherwise.
void applyScale(Axis& axis, std::span<const ScaleChoice> scales, int selection) {
    if (const ScaleChoice* s = FixedScale(scales, selection)) {
        axis.setLinearScale(-s->limit, s->limit, s->tick, 0);
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

}  // namespace

XYChart MakeVoltageCurrentChart(const MeasurementSet& m, const ScaleSelection& scales) {
    XYChart chart = makeFrame();
    chart.yAxis().setColors(kVoltageColour, kVoltageColour, kVoltageColour, kDefault);
    chart.yAxis2().setColors(kCurrentColour, kCurrentColour, kCurrentColour, kDefault);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    applyScale(chart.yAxis(), VoltageScales(), scales.u);
    applyScale(chart.yAxis2(), CurrentScales(), scales.i);
    layer.addDataSet(samples(m.Voltage, m), kVoltageColour, entry(kStrVoltageSeries));
    layer.addDataSet(samples(m.Current, m), kCurrentColour, entry(kStrCurrentSeries))
        .setUseYAxis2();
    return chart;
}

XYChart MakePowerChart(const MeasurementSet& m, const ScaleSelection& scales) {
    XYChart chart = makeFrame();
    chart.yAxis().setColors(kPowerAxisColour, kPowerAxisColour, kPowerAxisColour, kDefault);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    applyScale(chart.yAxis(), PowerScales(), scales.p);
    layer.addDataSet(samples(m.Power, m), kPowerColour, entry(kStrPowerSeries));
    return chart;
}

PageOutcome DrawChartWaveforms(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChartWaveforms");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    const ScaleSelection& scales = data.selections.scales;
    PageOutcome outcome{.drawn = true};
    outcome.ok = sink.put(MakeVoltageCurrentChart(m, scales), kWaveformPaneVoltageCurrent,
                          kWaveVoltageCurrentFile);
    outcome.ok = sink.put(MakePowerChart(m, scales), kWaveformPanePower, kWavePowerFile) &&
                 outcome.ok;
    sink.clearOthers({kWaveformPaneVoltageCurrent, kWaveformPanePower});
    LogMessage(kLogModule, LogDebug1, "waveform updated");
    return outcome;
}

}  // namespace voltaris
