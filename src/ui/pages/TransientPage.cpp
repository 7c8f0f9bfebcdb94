// Transient analysis page builder.
#include "ui/pages/TransientPage.h"

#include <algorithm>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/pages/PageText.h"
#include "ui/pages/ScaleTables.h"
#include "ui/pages/StepChart.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

// Upper limit of the y axis for a scale-list position; 0 (automatic) for "Auto".
double upperLimit(std::span<const ScaleChoice> scales, int selection) {
    const ScaleChoice* s = FixedScale(scales, selection);
    return s != nullptr ? s->limit : 0;
}

}  // namespace

PageOutcome DrawChartInrush(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChartInrush");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    const std::size_t count = std::min<std::size_t>(m.PeriodsAnalysed, kPeriodCapacity);
    const ScaleSelection& scales = data.selections.scales;
    // The file keeps the older legend text of the RMS voltage, without the space.
    const char* vrmsName = sink.onScreen() ? "Vrms (V)" : "Vrms(V)";

    PageOutcome outcome{.drawn = true};
    const auto draw = [&](int pane, StepChartSeries first, StepChartSeries second, double upper,
                          const char* file) {
        outcome.ok = DrawStepChart(sink, pane, first, second, 0, upper, count, file) && outcome.ok;
    };
    draw(kInrushPaneVoltage, {PageString(kStrVpeak), m.PeriodVpeak}, {vrmsName, m.PeriodVrms},
         upperLimit(VoltageScales(), scales.u), kInrushVoltageFile);
    draw(kInrushPaneCurrent, {PageString(kStrIpeak), m.PeriodIpeak}, {"Irms (A)", m.PeriodIrms},
         upperLimit(CurrentScales(), scales.i), kInrushCurrentFile);
    draw(kInrushPanePower, {PageString(kStrPpeak), m.PeriodPpeak}, {"Prms (W)", m.PeriodP},
         upperLimit(PowerScales(), scales.p), kInrushPowerFile);
    draw(kInrushPanePowerFactor, {PageString(kStrPowerFactor), m.PeriodPF}, {}, 1,
         kInrushPfactorFile);
    sink.clearOthers(
        {kInrushPaneVoltage, kInrushPaneCurrent, kInrushPanePower, kInrushPanePowerFactor});
    return outcome;
}

}  // namespace voltaris
