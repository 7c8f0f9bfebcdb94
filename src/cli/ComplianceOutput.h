// What `voltaris-cli compliance` writes: the progress line on standard error, the verdict as one
// JSON object, the table as CSV and the pre-compliance section of the report.
#pragma once

#include <QJsonObject>
#include <cstddef>
#include <string>

#include "analysis/ComplianceEvaluation.h"

namespace voltaris::cli {

// Said by every output of the command.
inline constexpr const char* kPreComplianceNote =
    "pre-compliance: the meter's captures are not gapless, so this verdict estimates the test "
    "house's one and does not replace it";

// "pre-compliance: 40 windows evaluated (8.0 s of 60 s), about 95 s left, worst harmonic so far:
// order 3 at 72.4 % of its limit". `secondsLeft` below 0: not known yet.
[[nodiscard]] std::string ComplianceProgressLine(std::size_t windows, double observed,
                                                 double duration, double secondsLeft,
                                                 const WorstHarmonic& worst);

// {"preCompliance", "class", "observationTime", "windows", "captures", "limitUnit",
//  "averagePower", "averagePowerFactor", "averageCurrent", "disregardThreshold", "pohc",
//  "pohcLimit", "orders": [{"order", "limit", "max", "average", "maxPctOfLimit",
//  "averagePctOfLimit", "verdict"} for 1..40], "verdict", "failingOrders"}
[[nodiscard]] QJsonObject ComplianceJson(const ComplianceResult& result, std::size_t captures);

// The table as CSV (CR LF line ends): the note, a summary line, then one line per order 1..40.
// False after printing "<command>: <path>: <system's text>" on standard error.
[[nodiscard]] bool WriteComplianceCsv(const char* command, const std::string& path,
                                      const ComplianceResult& result, std::size_t captures);

// Inserts the pre-compliance section, made from its template found beside the report's, into
// the report written at `reportPath`. False after printing why on standard error.
[[nodiscard]] bool AddComplianceSection(const char* command, const std::string& reportPath,
                                        const std::string& applicationFolder,
                                        const ComplianceResult& result, std::size_t captures);

}  // namespace voltaris::cli
