// The eight trigger-condition boxes of the control panel: their order, the text they are reset
// to, and how a typed value is read ("%f"), held to its range and written back ("%f").
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "acquisition/AcqRequest.h"

namespace voltaris {

// In the order the request and the meter's T command take them.
enum TriggerField : int {
    kUrmsLow = 0,   // edit 1020
    kIrmsLow = 1,   // edit 1023
    kPrmsLow = 2,   // edit 1026
    kUrmsHigh = 3,  // edit 1061
    kIrmsHigh = 4,  // edit 1062
    kPrmsHigh = 5,  // edit 1063
    kUpeakMax = 6,  // edit 1027
    kIpeakMax = 7,  // edit 1028
};
inline constexpr int kTriggerFieldCount = 8;

inline constexpr float kMaxVoltsOrWatts = 999.9f;
inline constexpr float kMaxAmperes = 9.999f;

using TriggerValues = std::array<float, kTriggerFieldCount>;
using TriggerTexts = std::array<std::string, kTriggerFieldCount>;

// Largest value the box accepts: 9.999 for the Irms limits and Ipeak, 999.9 for the others.
[[nodiscard]] float TriggerCap(TriggerField field);

// Text the Zero button puts in the box: "0.000" for the two Irms limits, "0.0" for the others.
[[nodiscard]] const char* TriggerZeroText(TriggerField field);

// Reads the number at the start of `text` as "%f" does (leading blanks and a sign allowed);
// text that is not a number, and NaN, read as 0. The value is then held to 0 .. TriggerCap.
[[nodiscard]] float ParseTriggerValue(std::string_view text, TriggerField field);

// The value as "%f" writes it, six decimals, whatever the process's locale.
[[nodiscard]] std::string FormatTriggerValue(float value);

[[nodiscard]] TriggerThresholds ToThresholds(const TriggerValues& values);

}  // namespace voltaris
