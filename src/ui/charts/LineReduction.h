// Reduction of long polylines to what a pixel grid can show. Lines over increasing x: M4
// aggregation, for every pixel column the first, lowest, highest and last point are kept, in
// their original order, so the line drawn from the result covers the same pixels as the line
// drawn from all points. Curves in any order (x-y curves): runs of points on one device pixel
// shrink to the points where the curve enters and leaves that pixel, and a curve that retraces
// itself (one loop per mains period) strokes each pixel-to-pixel step at most twice.
#pragma once

#include <QPointF>
#include <QVector>

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

// Reduces a polyline given in device pixels: of each run of consecutive points on the same pixel
// only the first and the last stay, so the line still enters and leaves every pixel it crosses
// where it did. A non-finite point (a gap) is kept and ends the run. Returns the kept points in
// order; a line where no two neighbours share a pixel comes back whole.
[[nodiscard]] QVector<QPointF> reduceToPixels(const QVector<QPointF>& points);

// Drops from a polyline in device pixels every segment that joins the same two pixels as two
// segments kept before it (in either direction): a curve drawn over itself period after period
// is stroked at most twice. Where segments are dropped the line is broken by a NaN point. The
// same pixels are inked as when every segment is stroked; only the shade of the anti-aliased
// fringe can differ.
[[nodiscard]] QVector<QPointF> dropRetracedSegments(const QVector<QPointF>& points);

// True when the values never decrease (NaNs excepted); an empty span is ordered.
[[nodiscard]] bool isNonDecreasing(std::span<const double> values);

}  // namespace voltaris::charts
