// Per-pixel-column reduction of long polylines.
#include "ui/charts/LineReduction.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace voltaris::charts {
namespace {

// The four kept indices of the column being filled.
struct Bucket {
    long column = 0;
    std::size_t first = 0;
    std::size_t low = 0;
    std::size_t high = 0;
    std::size_t last = 0;
    bool open = false;
};

}  // namespace

bool isNonDecreasing(std::span<const double> values) {
    double previous = -INFINITY;
    for (double v : values) {
        if (std::isnan(v)) {
            continue;
        }
        if (v < previous) {
            return false;
        }
        previous = v;
    }
    return true;
}

ReducedLine reduceToColumns(std::span<const double> x, std::span<const double> y, double xLower,
                            double xUpper, int columns) {
    ReducedLine out;
    const std::size_t n = x.empty() ? y.size() : std::min(x.size(), y.size());
    const auto xAt = [&](std::size_t i) { return x.empty() ? static_cast<double>(i) : x[i]; };
    if (n == 0) {
        return out;
    }
    columns = std::max(1, columns);
    const double span = xUpper - xLower;
    const bool usableRange = std::isfinite(span) && span > 0;
    const double scale = usableRange ? columns / span : 0;
    const auto columnOf = [&](double xv) -> long {
        if (!usableRange || std::isnan(xv)) {
            return 0;
        }
        const double c = std::floor((xv - xLower) * scale);
        if (c < 0) {
            return -1;  // everything left of the range shares one column
        }
        return c >= columns ? columns : static_cast<long>(c);
    };

    out.x.reserve(std::min<std::size_t>(n, static_cast<std::size_t>(columns) * 4 + 16));
    out.y.reserve(out.x.capacity());
    const auto push = [&](std::size_t i) {
        out.x.push_back(xAt(i));
        out.y.push_back(y[i]);
    };
    Bucket b;
    const auto flush = [&] {
        if (!b.open) {
            return;
        }
        std::array<std::size_t, 4> kept = {b.first, b.low, b.high, b.last};
        std::sort(kept.begin(), kept.end());
        for (std::size_t k = 0; k < kept.size(); ++k) {
            if (k == 0 || kept[k] != kept[k - 1]) {
                push(kept[k]);
            }
        }
        b.open = false;
    };

    for (std::size_t i = 0; i < n; ++i) {
        const double v = y[i];
        if (std::isnan(v)) {
            flush();
            push(i);  // keeps the gap
            continue;
        }
        const long column = columnOf(xAt(i));
        if (!b.open || column != b.column) {
            flush();
            b = Bucket{column, i, i, i, i, true};
            continue;
        }
        b.last = i;
        if (v < y[b.low]) {
            b.low = i;
        }
        if (v > y[b.high]) {
            b.high = i;
        }
    }
    flush();
    return out;
}

}  // namespace voltaris::charts
