// Reading, clamping and writing back the trigger conditions.
#include "acquisition/TriggerConditions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace voltaris {

float TriggerCap(TriggerField field) {
    switch (field) {
        case kIrmsLow:
        case kIrmsHigh:
        case kIpeakMax:
            return kMaxAmperes;
        default:
            return kMaxVoltsOrWatts;
    }
}

const char* TriggerZeroText(TriggerField field) {
    return field == kIrmsLow || field == kIrmsHigh ? "0.000" : "0.0";
}

float ParseTriggerValue(std::string_view text, TriggerField field) {
    std::size_t at = text.find_first_not_of(" \t\n\r\f\v");
    if (at == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(at);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    float value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond a float: a negative exponent reads as 0, anything else as infinity.
        const std::string_view number(text.data(), static_cast<std::size_t>(end - text.data()));
        const std::size_t exponent = number.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < number.size() &&
                          number[exponent + 1] == '-';
        value = tiny ? 0.0f : HUGE_VALF;
    } else if (error != std::errc()) {
        return 0;
    }
    if (std::isnan(value)) {
        return 0;
    }
    if (negative) {
        value = -value;
    }
    return std::clamp(value, 0.0f, TriggerCap(field));
}

std::string FormatTriggerValue(float value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                      std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

TriggerThresholds ToThresholds(const TriggerValues& v) {
    TriggerThresholds t;
    t.urmsLow = v[kUrmsLow];
    t.irmsLow = v[kIrmsLow];
    t.prmsLow = v[kPrmsLow];
    t.urmsHigh = v[kUrmsHigh];
    t.irmsHigh = v[kIrmsHigh];
    t.prmsHigh = v[kPrmsHigh];
    t.upeakMax = v[kUpeakMax];
    t.ipeakMax = v[kIpeakMax];
    return t;
}

}  // namespace voltaris
