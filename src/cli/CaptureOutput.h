// What `voltaris-cli capture` prints of each capture: the analyze command's JSON object for it
// plus the block count, mains period, hardware version and calibration that
// came with it.
#pragma once

#include <QJsonObject>
#include <optional>

#include "acquisition/CaptureHandOver.h"
#include "analysis/Measurements.h"

namespace voltaris::cli {

[[nodiscard]] QJsonObject CalibrationJson(const CalibrationParams& c);

// Analyses the capture into `m` (each capture stands alone: no statistics kept, no energy
// point) and returns its JSON object; nothing when it cannot be analysed.
[[nodiscard]] std::optional<QJsonObject> CaptureJson(const HandedCapture& capture,
                                                     DeviceGeneration generation,
                                                     CaptureFilter filter, MeasurementSet& m);

// Prints the object as one compact line on standard output.
void PrintJsonLine(const QJsonObject& object);

}  // namespace voltaris::cli
