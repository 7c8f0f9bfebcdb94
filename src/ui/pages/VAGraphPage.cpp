// VA graph page builder.
#include "ui/pages/VAGraphPage.h"

#include <algorithm>
#include <span>

#include "infra/Log.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";
constexpr Color kCurveColour = 0xFF3333;

// A fixed scale from the list is symmetric around 0; automatic otherwise.
void applyScale(Axis& axis, std::span<const ScaleChoice> scales, int selection) {
    if (const ScaleChoice* s = FixedScale(scales, selection)) {
        axis.setLinearScale(-s->limit, s->limit, s->tick, 0);
    }
}

}  // namespace

XYChart MakeVAGraphChart(const MeasurementSet& m, const ScaleSelection& scales) {
    const std::size_t count =
        std::min<std::size_t>(std::size_t{m.PeriodsAnalysed} * kSamplesPerPeriod, m.Voltage.size());
    XYChart chart(700, 600, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(70, 30, 600, 510, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.yAxis().setTitle("I (A)", "arialbi.ttf", 12, kTextColor);
    chart.xAxis().setTitle("V (V)", "arialbi.ttf", 12, kTextColor);
    applyScale(chart.xAxis(), VoltageScales(), scales.u);
    applyScale(chart.yAxis(), CurrentScales(), scales.i);
    LineLayer& layer = chart.addLineLayer(std::span(m.Current.data(), count), kCurveColour);
    layer.setXData(std::span(m.Voltage.data(), count));
    layer.setLineWidth(2);
    return chart;
}

PageOutcome DrawChartVAGraph(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChart VA graph");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    PageOutcome outcome{.drawn = true};
    outcome.ok = sink.put(MakeVAGraphChart(m, data.selections.scales), kVAGraphPane, kVAGraphFile);
    sink.clearOthers({kVAGraphPane});
    LogMessage(kLogModule, LogDebug1, "VA graph updated");
    return outcome;
}

}  // namespace voltaris
