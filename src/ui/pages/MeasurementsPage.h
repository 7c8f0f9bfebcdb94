// The Measurements page: fifteen quantities of the last capture as quarter-circle dial meters,
// one per chart pane, with red warning zones and the value in a black box. The dial itself is
// shared with the Calibration page.
#pragma once

#include <span>

#include "ui/charts/Meter.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

// One dial: its pane, title, scale, number format (decimals shown) and red zones. A low zone
// runs from 0 up to `lowZoneEnd`, a high zone from `highZoneStart` up to the maximum; 0 means no
// such zone.
struct DialSpec {
    int pane;
    const char* title;
    double minimum;
    double maximum;
    double majorStep;
    double minorStep;
    const char* format;
    double lowZoneEnd;
    double highZoneStart;
};

// The page's dials in drawing order, each with the MeasurementSet field it shows.
struct MeasureDial {
    DialSpec dial;
    double MeasurementSet::*value;
};
[[nodiscard]] std::span<const MeasureDial> MeasureDials();

// Pane the page leaves empty.
inline constexpr int kMeasureEmptyPane = 1059;

// The 145 x 145 dial of `spec` showing `value`: the pointer held to the scale, the box with the
// value as it is.
[[nodiscard]] charts::AngularMeter MakeAngularMeter(const DialSpec& spec, double value);

// Builds the dial and hands it to its pane; false when it could not be shown (logged).
bool DrawAngularMeter(ChartSink& sink, const DialSpec& spec, double value);

// Draws the fifteen dials into their panes and clears pane 1059. The page has no report image:
// with a file sink nothing is written. With no analysed period nothing happens.
PageOutcome DrawChartMeasure(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
