// The report's template engine as pure functions over bytes: the placeholder values of one
// report, in the order they are tried, and the copy of a template with every placeholder
// replaced. Reading and writing the files is HtmlReport's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"
#include "files/TextFormat.h"

namespace voltaris {

inline constexpr const char* kReportSoftwareVersion = "2.02";

// One placeholder: its name with both percent signs ("%VRMS%") and the text that replaces it.
struct Placeholder {
    std::string name;
    std::string value;
};
using Placeholders = std::vector<Placeholder>;

// What a report says besides the measurement and the statistics.
struct ReportFacts {
    std::string title;  // as the user typed it
    std::string dateText;
    std::uint16_t hardwareVersion = 0;
    std::uint16_t serialNumber = 0;
    std::uint32_t lastCalibrationDate = 0;  // DDMMYYYY as a number
    std::string harmonicLimits = "n/a";
    std::string harmonicVerdict = "n/a";
};

// "Date dd/mm/yy, curent time hh:mm:ss and mmmms".
[[nodiscard]] std::string ReportDateText(const ClockReading& now);

// The text with < > & " written as &lt; &gt; &amp; &quot;.
[[nodiscard]] std::string EscapeHtml(std::string_view text);

// Every placeholder with its value, in the order they are tried: TITLE (escaped), DATETIME,
// SWVERSION, HWVERSION, SERIALNUM, LASTCAL, the fifteen quantities each followed by its _MIN,
// _AVG, _MAX and _SDEV forms, then NPERIODS, HARMLIMITS, HARMPASS.
[[nodiscard]] Placeholders ReportPlaceholders(const ReportFacts& facts, const MeasurementSet& m,
                                              const StatisticsGrid& statistics);

// Appends `line` (without its line end) to `out` with every placeholder replaced. At each "%"
// the placeholders are compared in order; the first that matches is written and the scan goes
// on after its closing "%". A "%" that starts none is copied and the next byte is tested again.
// Values are written, never scanned.
void ExpandLine(std::string_view line, const Placeholders& placeholders, std::string& out);

// The report made from a whole template: each line, ended by a line feed or by carriage return
// and line feed, expanded and followed by "\r\n"; the end of the template gets one more "\r\n".
// Bytes are copied as they are, whatever their encoding.
[[nodiscard]] std::string ExpandTemplate(std::string_view templateBytes,
                                         const Placeholders& placeholders);

}  // namespace voltaris
