// Helpers of the chart tests: pixel inspection of rendered images.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>

namespace voltaris::charts::test {

// RGB of a pixel as 0xRRGGBB (alpha ignored).
[[nodiscard]] std::uint32_t rgbAt(const QImage& image, int x, int y);

// Largest per-channel difference between two 0xRRGGBB colours.
[[nodiscard]] int colorDistance(std::uint32_t a, std::uint32_t b);

// Pixels of `rect` within `tolerance` of `rgb`.
[[nodiscard]] int countNear(const QImage& image, const QRect& rect, std::uint32_t rgb,
                            int tolerance);

// Lightness (0-255) of a pixel.
[[nodiscard]] int lightnessAt(const QImage& image, int x, int y);

}  // namespace voltaris::charts::test
