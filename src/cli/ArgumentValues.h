// Values of command-line options, checked before any command uses them.
#pragma once

#include <QString>
#include <cmath>
#include <optional>

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

}  // namespace voltaris::cli
