// Pixel inspection of rendered charts, panes and window shots.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace voltaris::test {

// RGB of a pixel as 0xRRGGBB (alpha ignored).
[[nodiscard]] inline std::uint32_t rgbAt(const QImage& image, int x, int y) {
    return static_cast<std::uint32_t>(image.pixel(x, y)) & 0xFFFFFFu;
}

// Largest per-channel difference between two 0xRRGGBB colours.
[[nodiscard]] inline int colorDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                 static_cast<int>((b >> shift) & 0xFF)));
    }
    return d;
}

// Pixels of `rect` within `tolerance` of `rgb`.
[[nodiscard]] inline int countNear(const QImage& image, const QRect& rect, std::uint32_t rgb,
                                   int tolerance) {
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (colorDistance(rgbAt(image, x, y), rgb) <= tolerance) {
                ++count;
            }
        }
    }
    return count;
}

// Pixels of the whole image exactly of colour `rgb`.
[[nodiscard]] inline int countOf(const QImage& image, std::uint32_t rgb) {
    return countNear(image, image.rect(), rgb, 0);
}

// Lightness (0-255) of a pixel.
[[nodiscard]] inline int lightnessAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y)).lightness();
}

}  // namespace voltaris::test
