// Calibration page builder.
#include "ui/pages/CalibrationPage.h"

#include <cstdio>

#include "infra/Log.h"

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
}  // namespace

std::string CalibrationDateText(std::uint32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%8.8lu", static_cast<unsigned long>(date));
    return text;
}

PageOutcome DrawChartCalibration(const PageData& data, ChartSink& sink, PageTexts& texts) {
    LogMessage(kLogModule, LogDebug1, "DrawChart calibration graph");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    PageOutcome outcome{.drawn = true};
    texts.serialNumber = std::to_string(data.calibration.serialNumber);
    texts.lastCalibrationDate = CalibrationDateText(data.calibration.lastCalibrationDate);
    if (!sink.onScreen()) {
        return outcome;
    }
    outcome.ok = DrawAngularMeter(sink, kCalibrationVoltageDial, m.Vrms);
    outcome.ok = DrawAngularMeter(sink, kCalibrationCurrentDial, m.Irms) && outcome.ok;
    sink.clearOthers({kCalibrationVoltageDial.pane, kCalibrationCurrentDial.pane});
    LogMessage(kLogModule, LogDebug1, "calibration graph updated");
    return outcome;
}

}  // namespace voltaris
