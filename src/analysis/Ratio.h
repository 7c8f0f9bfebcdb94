// Division for measured ratios: 0 instead of a division by zero or a non-finite result, so that
// no NaN or infinity reaches a display, a statistic or a report.
#pragma once

#include <cmath>

namespace voltaris {

[[nodiscard]] inline double safeRatio(double numerator, double denominator) {
    if (denominator == 0) {
        return 0;
    }
    const double r = numerator / denominator;
    return std::isfinite(r) ? r : 0;
}

}  // namespace voltaris
