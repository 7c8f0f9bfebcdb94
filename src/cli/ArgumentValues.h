// Values of command-line options, checked before any command uses them.
#pragma once

#include <QString>
#include <cmath>
#include <limits>
#include <optional>

#include "device/CalibrationParams.h"

namespace voltaris::cli {

// The whole text as an integer in [low, high]; nothing when it is not one or lies outside.
[[nodiscard]] inline std::optional<long> integerIn(const QString& text, long low, long high) {
    bool ok = false;
    const long value = text.toLong(&ok);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The whole text as a finite number; nothing for any other text, NaN and infinities.
[[nodiscard]] inline std::optional<double> finiteNumber(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The whole text as a gain the measurements can use, held in a 32-bit float: finite, above zero
// and within the float's range (a value that would round to zero or to infinity there is out of
// range). Sets `error` to the reason, naming `option`, when it is not one.
[[nodiscard]] inline std::optional<float> gainValue(const QString& option, const QString& text,
                                                    QString& error) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        error = QString("--%1 needs a finite number, not '%2'").arg(option, text);
        return std::nullopt;
    }
    if (!(value > 0.0)) {
        error = QString("--%1 needs a gain above zero, not '%2'").arg(option, text);
        return std::nullopt;
    }
    const auto gain = static_cast<float>(value);
    if (value > std::numeric_limits<float>::max() || !UsableGain(gain) ||
        gain < std::numeric_limits<float>::min()) {
        error = QString("--%1: '%2' is out of range for a 32-bit float (%3 to %4)")
                    .arg(option, text)
                    .arg(double{std::numeric_limits<float>::min()}, 0, 'g', 9)
                    .arg(double{std::numeric_limits<float>::max()}, 0, 'g', 9);
        return std::nullopt;
    }
    return gain;
}

}  // namespace voltaris::cli
