// Harmonics page builder.
#include "ui/pages/HarmonicsPage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "infra/Log.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";

constexpr Color kLimitBarColour = 0x04FFC0C0;
constexpr Color kLabelColour = 0x663300;
// Value labels would overlap beyond this many orders.
constexpr int kMostLabelledOrders = 16;

// What the display mode shows of each quantity.
struct ModeView {
    const HarmonicArray* voltage = nullptr;
    const HarmonicArray* current = nullptr;
    const char* voltageTitle = "";
    const char* currentTitle = "";
    char voltageUnit = '%';
    char currentUnit = '%';
    int voltageDecimals = 2;
    int currentDecimals = 2;
    bool logarithmic = false;
};

std::optional<ModeView> viewOf(const MeasurementSet& m, int mode) {
    switch (mode) {
        case kModeAbsolute:
            return ModeView{&m.HarmV, &m.HarmI, "Vrms (V)", "Irms (A)", 'V', 'A', 2, 4, false};
        case kModeTotalLin:
        case kModeTotalLog:
            return ModeView{
                &m.HarmVPctRms,       &m.HarmIPctRms, "V (%RMS)", "I (%RMS)", '%', '%', 2, 2,
                mode == kModeTotalLog};
        case kModeH1Lin:
        case kModeH1Log:
            return ModeView{&m.HarmVPctH1,     &m.HarmIPctH1, "V (%H1)", "I (%H1)", '%', '%', 2, 2,
                            mode == kModeH1Log};
        default:
            return std::nullopt;
    }
}

// The chart gets finite numbers only: a value the analysis could not give shows as no bar.
HarmonicArray finite(const HarmonicArray& values) {
    HarmonicArray out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = std::isfinite(values[i]) ? values[i] : 0.0;
    }
    return out;
}

// "D" for order 0, "H1", "H3", ... for odd orders, nothing for even ones.
std::vector<std::string> orderLabels(std::size_t count) {
    std::vector<std::string> labels;
    labels.reserve(count);
    for (std::size_t h = 0; h < count; ++h) {
        labels.push_back(h == 0 ? "D" : (h % 2 == 1 ? "H" + std::to_string(h) : std::string()));
    }
    return labels;
}

// "{value|2}V\n{field0|1}°": the value with its decimals and unit, then the phase.
std::string labelFormat(int decimals, char unit) {
    char format[48];
    std::snprintf(format, sizeof format, "{value|%d}%c\n{field0|1}\u00B0", decimals, unit);
    return format;
}

double scaleLimit(std::span<const ScaleChoice> scales, int selection) {
    const ScaleChoice* s = FixedScale(scales, selection);
    return s != nullptr ? s->limit : 0.0;
}

}  // namespace

std::string HarmonicLimitName(int limitClass) {
    if (limitClass < kClassA || limitClass > kClassD) {
        return "N/A";
    }
    return std::string("IEC 61000-3-2 edition 2.2 Class ") + LimitClassName(limitClass);
}

HarmonicsChart MakeHarmonicsChart(const HarmonicsChartSpec& spec) {
    const HarmonicArray values = finite(spec.values);
    const HarmonicArray phases = finite(spec.phases);
    LimitCheck check =
        checkHarmonicLimits(spec.limitClass, spec.displayMode, values, spec.prms, spec.pf);
    const auto shown = static_cast<std::size_t>(std::clamp(spec.orders, 0, 40)) + 1;

    XYChart chart(630, 286, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(55, 15, 560, 245, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    const bool logarithmic = spec.displayMode == kModeTotalLog || spec.displayMode == kModeH1Log;
    if (spec.upper != 0) {
        if (logarithmic) {
            chart.yAxis().setLogScale(spec.lower, spec.upper);
        } else {
            chart.yAxis().setLinearScale(spec.lower, spec.upper);
        }
    }
    chart.yAxis().setTitle(spec.title, "arialbd.ttf", 9, kTextColor);
    chart.yAxis().setAutoScale(0.15, 0.1, 0.8);

    BarLayer& layer =
        chart.addBarLayer3(std::span(values.data(), shown), std::span(check.colours.data(), shown));
    layer.setBorderColor(kDefault, 1);
    if (check.applies) {
        layer.addDataSet(std::span(check.limits.data(), shown), kLimitBarColour);
    }
    layer.setOverlapRatio(0.7);
    layer.addExtraField(std::span(phases.data(), shown));
    layer.setBarGap(0.1);
    if (spec.orders <= kMostLabelledOrders && !check.applies) {
        layer.setAggregateLabelFormat(labelFormat(spec.decimals, spec.unit));
        layer.setAggregateLabelStyle("arialbd.ttf", 7, kLabelColour, 0);
    }
    chart.xAxis().setLabels(orderLabels(shown)).setFontStyle("arialbd.ttf").setFontSize(8);
    return {std::move(chart), std::move(check)};
}

std::optional<HarmonicsCharts> MakeHarmonicsCharts(const MeasurementSet& m,
                                                   const PageSelections& s) {
    const int mode = s.harmonics.displayMode;
    const std::optional<ModeView> view = viewOf(m, mode);
    if (!view) {
        return std::nullopt;
    }
    const int orders = s.harmonicsCount == 1 ? 40 : 13;
    double lower = 0;
    double voltageUpper = 100;
    double currentUpper = 100;
    if (mode == kModeAbsolute) {
        voltageUpper = scaleLimit(VoltageScales(), s.scales.u);
        currentUpper = scaleLimit(CurrentScales(), s.scales.i);
    } else if (view->logarithmic) {
        lower = kHarmonicsLogLower;
        voltageUpper = kHarmonicsLogUpper;
        currentUpper = kHarmonicsLogUpper;
    }
    return HarmonicsCharts{MakeHarmonicsChart({.title = view->voltageTitle,
                                               .values = *view->voltage,
                                               .phases = m.PhaseV,
                                               .lower = lower,
                                               .upper = voltageUpper,
                                               .orders = orders,
                                               .unit = view->voltageUnit,
                                               .decimals = view->voltageDecimals,
                                               .displayMode = mode,
                                               .limitClass = kNoLimits,
                                               .prms = m.Prms,
                                               .pf = m.PF}),
                           MakeHarmonicsChart({.title = view->currentTitle,
                                               .values = *view->current,
                                               .phases = m.PhaseI,
                                               .lower = lower,
                                               .upper = currentUpper,
                                               .orders = orders,
                                               .unit = view->currentUnit,
                                               .decimals = view->currentDecimals,
                                               .displayMode = mode,
                                               .limitClass = s.harmonics.limitClass,
                                               .prms = m.Prms,
                                               .pf = m.PF})};
}

PageOutcome DrawChartHarmonics(const PageData& data, ChartSink& sink, PageTexts& texts) {
    LogMessage(kLogModule, LogDebug1, "DrawChartHarmonics");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    const std::optional<HarmonicsCharts> charts = MakeHarmonicsCharts(m, data.selections);
    if (!charts) {
        return {.drawn = true};  // no such display mode: nothing to draw
    }
    PageOutcome outcome{.drawn = true};
    outcome.ok = sink.put(charts->voltage.chart, kHarmonicsPaneVoltage, kHarmonicsVoltageFile);
    outcome.ok =
        sink.put(charts->current.chart, kHarmonicsPaneCurrent, kHarmonicsCurrentFile) && outcome.ok;
    sink.clearOthers({kHarmonicsPaneVoltage, kHarmonicsPaneCurrent});
    const std::string& result = charts->current.check.text;
    texts.harmonicLimitName = HarmonicLimitName(data.selections.harmonics.limitClass);
    texts.harmonicsResult = result;
    texts.harmonicVerdict = result;
    return outcome;
}

}  // namespace voltaris
