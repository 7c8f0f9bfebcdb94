// The Harmonic analysis page: the harmonics of the voltage (pane 1044) and of the current (pane
// 1045) as bar charts in one of five display modes, 13 or 40 orders, with the IEC 61000-3-2 limit
// check on the current; to the panes or to two PNG files for the report.
#pragma once

#include <optional>
#include <string>

#include "analysis/HarmonicLimits.h"
#include "analysis/MeasurementSet.h"
#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"
#include "ui/pages/PageTable.h"

namespace voltaris {

inline constexpr int kHarmonicsPaneVoltage = 1044;
inline constexpr int kHarmonicsPaneCurrent = 1045;
inline constexpr const char* kHarmonicsVoltageFile = "%sHarmonicsVoltage.png";
inline constexpr const char* kHarmonicsCurrentFile = "%sHarmonicsCurrent.png";
// The page's own controls: display mode, points, limits class and the result text.
inline constexpr unsigned kHarmonicsPageControls = kHarmonicsModeControl | kHarmonicsCountControl |
                                                   kHarmonicsLimitsControl |
                                                   kHarmonicsResultControl;

// A logarithmic axis cannot start at 0: the log modes show four decades, and a harmonic at or
// below the bottom draws no bar.
inline constexpr double kHarmonicsLogLower = 0.01;
inline constexpr double kHarmonicsLogUpper = 100;

// What one harmonics chart shows.
struct HarmonicsChartSpec {
    std::string title;            // y axis title, "Vrms (V)", "I (%H1)", ...
    const HarmonicArray& values;  // orders 0 to 40 in the unit of the display mode
    const HarmonicArray& phases;  // degrees
    double lower = 0;
    double upper = 0;  // 0: automatic scale
    int orders = 13;   // highest order shown: 13 or 40
    char unit = '%';
    int decimals = 2;
    int displayMode = kModeAbsolute;
    int limitClass = kNoLimits;  // limits of the current chart; the voltage chart has none
    double prms = 0;             // for the class C and D limit tables
    double pf = 0;
};

struct HarmonicsChart {
    charts::XYChart chart;
    LimitCheck check;  // on all 41 orders, also those not shown
};

// One chart of the page with its limit check: bars of orders 0 to `orders` coloured by the
// check, light red limit bars behind them when limits apply, value and phase labels in the
// 13-order view without limits.
[[nodiscard]] HarmonicsChart MakeHarmonicsChart(const HarmonicsChartSpec& spec);

struct HarmonicsCharts {
    HarmonicsChart voltage;  // never with limits
    HarmonicsChart current;  // with the selected class
};

// Both charts of the page for the selections: display mode, points, limits class, and in the
// "Absolute" mode the U and I scale lists as upper limits. Empty for an unknown display mode.
[[nodiscard]] std::optional<HarmonicsCharts> MakeHarmonicsCharts(const MeasurementSet& m,
                                                                 const PageSelections& s);

// The standard kept for the report: "N/A" without limits, else "IEC 61000-3-2 edition 2.2
// Class A" to "... Class D".
[[nodiscard]] std::string HarmonicLimitName(int limitClass);

// Draws the page: on screen to panes 1044 (voltage) and 1045 (current) with the fourteen other
// panes cleared; to files as prefix + "HarmonicsVoltage.png" and prefix + "HarmonicsCurrent.png".
// Leaves the current's check result in texts.harmonicsResult and texts.harmonicVerdict and the
// standard's name in texts.harmonicLimitName. With no analysed period nothing happens; an
// unknown display mode draws nothing.
PageOutcome DrawChartHarmonics(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
