// Measurements page builder and the dial meter.
#include "ui/pages/MeasurementsPage.h"

#include <algorithm>
#include <cmath>

#include "StringTable.h"
#include "infra/Log.h"
#include "ui/charts/LabelFormat.h"

namespace voltaris {

namespace {

using namespace charts;

constexpr const char* kLogModule = "voltaris";

constexpr int kDialSide = 145;
constexpr Color kZoneFill = 0xFF3333;
constexpr Color kZoneEdge = 0x808080;
constexpr Color kPointerColour = 0xC0000000;  // black, three quarters transparent

// Titles 125 to 127 are string-table entries; the table's texts are repeated here so that the
// rows stay constant. The page test checks that both agree.
constexpr MeasureDial kDials[] = {
    {{1044, "Vrms (V)", 0, 400, 100, 25, "1", 90, 350}, &MeasurementSet::Vrms},
    {{1046, "Irms (A)", 0, 5, 1, 0.25, "3", 0, 4}, &MeasurementSet::Irms},
    {{1045, "Prms (W)", 0, 600, 100, 25, "2", 0, 500}, &MeasurementSet::Prms},
    {{1047, "S (VA)", 0, 600, 100, 25, "2", 0, 500}, &MeasurementSet::S},
    {{1048, "Vpeak (V)", 0, 600, 100, 25, "1", 90, 500}, &MeasurementSet::Vpeak},
    {{1050, "Ipeak (A)", 0, 8, 1, 0.25, "2", 0, 6}, &MeasurementSet::Ipeak},
    {{1049, "Peak (W)", 0, 1250, 250, 25, "2", 0, 1000}, &MeasurementSet::Ppeak},
    {{1051, "Q (VAR)", 0, 1250, 250, 25, "2", 0, 1000}, &MeasurementSet::Q},
    {{1052, "Vcrest", 1, 10, 2, 1, "2", 0, 8}, &MeasurementSet::Vcrest},
    {{1054, "Icrest", 1, 10, 2, 1, "2", 0, 8}, &MeasurementSet::Icrest},
    {{1053, "Pcrest", 1, 10, 2, 1, "2", 0, 8}, &MeasurementSet::Pcrest},
    {{1055, "PF", 0, 1, 0.25, 0.05, "3", 0.25, 0}, &MeasurementSet::PF},
    {{1056, "THD V (%)", 0, 25, 5, 1, "3", 0, 5}, &MeasurementSet::THDV},
    {{1058, "THD I (%)", 0, 150, 50, 5, "3", 0, 50}, &MeasurementSet::THDI},
    {{1057, "F (Hz)", 40, 70, 5, 1, "3", 45, 65}, &MeasurementSet::F},
};

}  // namespace

std::span<const MeasureDial> MeasureDials() {
    return kDials;
}

AngularMeter MakeAngularMeter(const DialSpec& spec, double value) {
    AngularMeter meter(kDialSide, kDialSide, metalColor(0xDDDDDD, 90), 0x000000, -2);
    meter.setMeter(15, 130, 120, 90, 0);
    meter.addText(5, 112, spec.title, "arialbd.ttf", 12, kTextColor, kLeft, 0);
    meter.addText(135, 7, formatValue(value, spec.format), "arial.ttf", 11, 0xFFFFFF, kTopRight, 0)
        .setBackground(0x000000, 0x000000, -1);
    meter.setScale(spec.minimum, spec.maximum, spec.majorStep, spec.minorStep, 0);
    // The low zone starts at 0 even when the scale starts above it; the meter shows only the
    // part inside the scale.
    if (spec.lowZoneEnd != 0) {
        meter.addZone(0, spec.lowZoneEnd, kZoneFill, kZoneEdge);
    }
    if (spec.highZoneStart != 0) {
        meter.addZone(spec.highZoneStart, spec.maximum, kZoneFill, kZoneEdge);
    }
    // A value that is not a number rests the pointer on the minimum.
    const double shown =
        std::isnan(value) ? spec.minimum : std::clamp(value, spec.minimum, spec.maximum);
    meter.addPointer(shown, kPointerColour, kDefault);
    return meter;
}

bool DrawAngularMeter(ChartSink& sink, const DialSpec& spec, double value) {
    // A dial has no file of its own: it goes to its pane only.
    return sink.put(MakeAngularMeter(spec, value), spec.pane, "");
}

PageOutcome DrawChartMeasure(const PageData& data, ChartSink& sink, PageTexts& texts) {
    (void)texts;
    LogMessage(kLogModule, LogDebug1, "DrawChartMeasure");
    const MeasurementSet& m = data.measurements;
    if (m.PeriodsAnalysed == 0) {
        return {};
    }
    PageOutcome outcome{.drawn = true};
    if (!sink.onScreen()) {
        return outcome;
    }
    for (const MeasureDial& d : kDials) {
        outcome.ok = DrawAngularMeter(sink, d.dial, m.*d.value) && outcome.ok;
    }
    sink.clearOthers(
        {1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1058});
    return outcome;
}

}  // namespace voltaris
