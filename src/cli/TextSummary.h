// What the headless commands print for a person (--format text): one line per capture, a table
// of the meters found, a short status of one meter.
#pragma once

#include <QString>
#include <vector>

#include "analysis/HarmonicLimits.h"
#include "analysis/MeasurementSet.h"
#include "device/MeterDetection.h"
#include "device/MeterProtocol.h"

namespace voltaris::cli {

// "Vrms 230.02 V  Irms 1.002 A  P 225.31 W  S 230.49 VA  PF 0.978  F 50.00 Hz  THD V 1.20 %
// THD I 5.31 %  class A: OK" on one line: the main quantities and the verdict of the check
// against `limitClass` ("no limits: n/a" for class 0).
[[nodiscard]] QString captureSummary(const MeasurementSet& m, const LimitCheck& check,
                                     int limitClass);

// A header line and one row per meter (entry, port, generation, hardware version), or a line
// saying that none was found.
[[nodiscard]] QString meterTable(const std::vector<DetectedMeter>& meters);

// "Voltaris V2 on PORT: state I (no capture ready), hardware version 12, status <...>".
[[nodiscard]] QString statusSummary(const QString& port, const MeterStatus& status,
                                    const QString& reply);

}  // namespace voltaris::cli
