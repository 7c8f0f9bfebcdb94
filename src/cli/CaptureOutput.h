// What `voltaris-cli capture` prints of each capture: the analyze command's JSON object for it
// plus the block count, mains period, hardware version and calibration that came with it, or,
// for a person, one line of its main quantities.
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <optional>

#include "acquisition/CaptureHandOver.h"
#include "analysis/HarmonicLimits.h"
#include "analysis/Measurements.h"
#include "cli/OutputFormat.h"

namespace voltaris::cli {

[[nodiscard]] QJsonObject CalibrationJson(const CalibrationParams& c);

// Analyses the capture into `m`, adding it to `statistics` and, when it came from a continuous
// acquisition, to the energy series, as the window does; checks its harmonics without a limit
// class. Nothing when it cannot be analysed.
[[nodiscard]] std::optional<LimitCheck> AnalyseCapture(const HandedCapture& capture,
                                                       DeviceGeneration generation,
                                                       CaptureFilter filter, MeasurementSet& m,
                                                       StatisticsGrid& statistics);

// The JSON object of an analysed capture.
[[nodiscard]] QJsonObject CaptureJson(const HandedCapture& capture, const MeasurementSet& m,
                                      const LimitCheck& check);

// Prints capture number `number` (from 1) as one compact JSON line, or as "number: summary".
void PrintCapture(OutputFormat format, std::int64_t number, const HandedCapture& capture,
                  const MeasurementSet& m, const LimitCheck& check);

// Prints the object as one compact line on standard output.
void PrintJsonLine(const QJsonObject& object);

}  // namespace voltaris::cli
