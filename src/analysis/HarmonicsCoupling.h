// The two harmonics-page lists that depend on each other: the display mode (1066) and the limits
// class (1068). Class C limits are relative to the fundamental, the others absolute, so each
// choice moves the other list to a mode or class that fits it.
#pragma once

#include <optional>
#include <string_view>

namespace voltaris {

enum HarmonicsDisplayMode : int {
    kModeAbsolute = 0,  // "Absolute"
    kModeTotalLin = 1,  // "%tot,lin"
    kModeTotalLog = 2,  // "%tot,log"
    kModeH1Lin = 3,     // "%H1, lin"
    kModeH1Log = 4,     // "%H1, log"
};

enum HarmonicsLimitClass : int {
    kNoLimits = 0,  // "no limits"
    kClassA = 1,
    kClassB = 2,
    kClassC = 3,
    kClassD = 4,
};

inline constexpr int kDisplayModeCount = 5;
inline constexpr int kLimitClassCount = 5;

// "none", "A", "B", "C", "D": the class names of the command line and the reports.
[[nodiscard]] const char* LimitClassName(int limitClass);
// The class of a name above, in either case; empty for any other text.
[[nodiscard]] std::optional<int> LimitClassFromName(std::string_view name);

struct HarmonicsSelection {
    int displayMode = kModeAbsolute;
    int limitClass = kNoLimits;
    bool operator==(const HarmonicsSelection&) const = default;
};

// After the user picked a limits class: class C shows "%H1, log", classes A, B and D "Absolute";
// "no limits" leaves the mode alone.
[[nodiscard]] HarmonicsSelection AfterLimitClassChange(HarmonicsSelection selection);

// After the user picked a display mode: "Absolute" drops class C, the "%tot" modes drop every
// class, the "%H1" modes keep only class C.
[[nodiscard]] HarmonicsSelection AfterDisplayModeChange(HarmonicsSelection selection);

}  // namespace voltaris
