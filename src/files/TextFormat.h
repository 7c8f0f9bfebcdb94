// Number and time texts of the files the program writes (CSV export, report), in the C
// conventions whatever the process locale, so that a decimal point stays a point.
#pragma once

#include <string>

#include "infra/LogFormat.h"

namespace voltaris {

// The local clock with millisecond resolution, as the files print it.
using ClockReading = LogTime;
[[nodiscard]] ClockReading ReadLocalClock();

// printf-style formatting in the "C" locale.
[[nodiscard]] std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What writing a file came to: on failure, the operating system's text for the error.
struct FileOutcome {
    bool ok = true;
    std::string error;
};
[[nodiscard]] FileOutcome SystemFailure(int error);

// Text files end their lines with carriage return and line feed on every platform.
inline constexpr const char* kLineEnd = "\r\n";

}  // namespace voltaris
