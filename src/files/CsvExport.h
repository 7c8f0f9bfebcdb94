// The "Export CSV" file: the voltage and current samples of the last analysed capture as
// comma-separated text, shared by the window and voltaris-cli.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "analysis/MeasurementSet.h"
#include "files/TextFormat.h"

namespace voltaris {

// What the save dialog offers.
inline constexpr const char* kCsvDefaultName = "voltaris_data";
inline constexpr const char* kCsvDefaultSuffix = "csv";
inline constexpr const char* kCsvNameFilters[] = {"Comma separated file (*.csv)",
                                                  "Text files (*.txt)"};

// One data line: "%5d, %3.3f, %2.5f" and the line end.
[[nodiscard]] std::string CsvSampleLine(std::size_t index, double voltage, double current);

// The whole file for the analysed window of `m` (PeriodsAnalysed x 256 samples), stamped `now`.
[[nodiscard]] std::string CsvExportText(const MeasurementSet& m, const ClockReading& now);

// Creates or truncates `path` and writes the export, stamped with the local clock read once the
// file is open (or with `now`). On failure the system's text; a write that failed half-way leaves
// what was written.
[[nodiscard]] FileOutcome WriteCsvExport(const std::string& path, const MeasurementSet& m,
                                         std::optional<ClockReading> now = std::nullopt);

}  // namespace voltaris
