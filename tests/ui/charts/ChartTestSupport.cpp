// Helpers of the chart tests.
#include "ui/charts/ChartTestSupport.h"

#include <algorithm>
#include <cstdlib>

// Under ThreadSanitizer: Qt's raster engine splits large fills across Qt's thread pool, whose
// locking ThreadSanitizer cannot see in the uninstrumented Qt libraries; only races in
// instrumented code (ours) are reported. Ignored by other builds.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}

namespace voltaris::charts::test {

std::uint32_t rgbAt(const QImage& image, int x, int y) {
    return static_cast<std::uint32_t>(image.pixel(x, y)) & 0xFFFFFFu;
}

int colorDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                 static_cast<int>((b >> shift) & 0xFF)));
    }
    return d;
}

int countNear(const QImage& image, const QRect& rect, std::uint32_t rgb, int tolerance) {
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

int lightnessAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y)).lightness();
}

}  // namespace voltaris::charts::test
