// Values of command-line options, checked before any command uses them.
#pragma once

#include <QString>
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

}  // namespace voltaris::cli
