// Reduction of long polylines to what a pixel grid can show (M4 aggregation): for every pixel
// column the first, lowest, highest and last point are kept, in their original order, so the
// line drawn from the result covers the same pixels as the line drawn from all points.
#pragma once

#include <span>
#include <vector>

namespace voltaris::charts {

struct ReducedLine {
    std::vector<double> x;
    std::vector<double> y;
};

// Reduces the line (x[i], y[i]); an empty `x` means x[i] = i. The x values must not decrease
// (check with isNonDecreasing). Columns split [xLower, xUpper] into `columns` equal parts; points
// left or right of that range fall into one extra column on their side. A NaN y ends a segment:
// it is kept as a gap marker and the points on each side are reduced separately.
[[nodiscard]] ReducedLine reduceToColumns(std::span<const double> x, std::span<const double> y,
                                          double xLower, double xUpper, int columns);

// True when the values never decrease (NaNs excepted); an empty span is ordered.
[[nodiscard]] bool isNonDecreasing(std::span<const double> values);

}  // namespace voltaris::charts
