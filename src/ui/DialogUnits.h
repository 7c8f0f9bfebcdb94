// Dialog units of the window layout (font "MS Sans Serif" 8 points) turned into pixels: one unit
// is 1.5 pixels across and 1.625 pixels down.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cmath>

namespace voltaris::dlu {

inline constexpr double kPixelsPerUnitX = 1.5;
inline constexpr double kPixelsPerUnitY = 1.625;

[[nodiscard]] inline int x(double units) {
    return static_cast<int>(std::lround(units * kPixelsPerUnitX));
}
[[nodiscard]] inline int y(double units) {
    return static_cast<int>(std::lround(units * kPixelsPerUnitY));
}
[[nodiscard]] inline QPoint point(double ux, double uy) {
    return {x(ux), y(uy)};
}
// Edges are converted, not sizes, so that adjacent rectangles stay adjacent in pixels.
[[nodiscard]] inline QRect rect(double ux, double uy, double uw, double uh) {
    const int left = x(ux);
    const int top = y(uy);
    return {left, top, x(ux + uw) - left, y(uy + uh) - top};
}
[[nodiscard]] inline QSize size(double uw, double uh) {
    return {x(uw), y(uh)};
}

}  // namespace voltaris::dlu
