// The meter search of the headless commands, with the detection's progress and its messages on
// standard error.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "device/MeterSearch.h"

namespace voltaris::cli {

// The meters on the ports named with --port, then on those of VOLTARIS_PORTS, then on the
// computer's Bluetooth ports found under devRoot and sysRoot. With `demoFallback` (a command
// that then runs in demonstration mode) it says "No Voltaris found - Demonstration mode" when
// none answers; without, the caller says what fits. The ports of the meters found are left open.
[[nodiscard]] DetectionResult lookUpMeters(const std::vector<std::string>& portPaths,
                                           const QString& devRoot, const QString& sysRoot,
                                           bool demoFallback = true);

// The meter on this one port, when it answers; nothing else is probed. A port without a meter
// is the caller's error to report, with lookUpFailureText().
[[nodiscard]] DetectionResult lookUpMeterOn(const std::string& portPath);

// Why lookUpMeterOn() found no meter on `portPath`: the port did not open (and why), was
// silent, or what it answered instead of a status.
[[nodiscard]] std::string lookUpFailureText(const DetectionResult& result,
                                            const std::string& portPath);

}  // namespace voltaris::cli
