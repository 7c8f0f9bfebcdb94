// Current harmonic limits of IEC 61000-3-2 (classes A to D) and the compliance check of the
// values shown on the harmonics chart.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "analysis/MeasurementSet.h"

namespace voltaris {

// Entries of the limits selection list.
enum class LimitClass : int { None = 0, A = 1, B = 2, C = 3, D = 4 };

// Entries of the harmonics display-mode list.
enum class HarmonicDisplayMode : int {
    Absolute = 0,   // "Absolute"
    PctRmsLin = 1,  // "%tot,lin"
    PctRmsLog = 2,  // "%tot,log"
    PctH1Lin = 3,   // "%H1, lin"
    PctH1Log = 4,   // "%H1, log"
};

inline constexpr std::uint32_t kLimitFailColour = 0xff2020;
inline constexpr std::uint32_t kLimitPassColour = 0x20ff20;
// Size of the result text buffer shared with the page and the report, terminator included.
inline constexpr std::size_t kLimitTextSize = 100;
inline constexpr const char* kLimitFailedFormat = "FAILED, harmonic %d, actual %f > limit %f";

// Limits per order for the class (0 = no limit): amperes for A, B and D, percent of the
// fundamental for C (which depends on prms and pf). All zero for class 0 or an unknown class.
[[nodiscard]] HarmonicArray harmonicLimitTable(int limitClass, double prms, double pf);

// True when the class's limits use the unit of the display mode: A, B and D in "Absolute",
// C in the two "%H1" modes; never for class 0 or unknown values.
[[nodiscard]] bool limitsApply(int limitClass, int displayMode);

// The current harmonics the chart shows in the display mode: HarmI (absolute), HarmIPctRms
// (%tot) or HarmIPctH1 (%H1); nullptr for an unknown mode.
[[nodiscard]] const HarmonicArray* harmonicDisplayValues(const MeasurementSet& m, int displayMode);

struct LimitCheck {
    HarmonicArray limits{};  // all zero when the limits do not apply
    bool applies = false;
    std::array<std::uint32_t, kHarmonicCount> colours{};
    std::string text;  // "OK", "n/a" or the first failure; always shorter than kLimitTextSize
    std::array<bool, kHarmonicCount> failing{};
};

// Compares every order with its limit (a failure is limit != 0 and limit < value) and reports
// the lowest failing order.
[[nodiscard]] LimitCheck checkHarmonicLimits(int limitClass, int displayMode,
                                             const HarmonicArray& values, double prms, double pf);

}  // namespace voltaris
