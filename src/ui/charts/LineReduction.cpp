// Per-pixel-column reduction of long polylines.
#include "ui/charts/LineReduction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>

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

QVector<QPointF> reduceToPixels(const QVector<QPointF>& points) {
    QVector<QPointF> out;
    out.reserve(points.size());
    const auto pixelOf = [](const QPointF& p) {
        return std::pair{std::floor(p.x()), std::floor(p.y())};
    };
    // The run of points on the pixel of out.back(): its last point waits in `pending`.
    bool inRun = false;
    std::pair<double, double> runPixel;
    const QPointF* pending = nullptr;
    for (const QPointF& p : points) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
            if (pending != nullptr) {
                out.push_back(*pending);
            }
            out.push_back(p);
            pending = nullptr;
            inRun = false;
            continue;
        }
        const auto pixel = pixelOf(p);
        if (inRun && pixel == runPixel) {
            pending = &p;
            continue;
        }
        if (pending != nullptr) {
            out.push_back(*pending);
            pending = nullptr;
        }
        out.push_back(p);
        runPixel = pixel;
        inRun = true;
    }
    if (pending != nullptr) {
        out.push_back(*pending);
    }
    return out;
}

namespace {

// Each pixel-to-pixel step is stroked at most twice: the second stroke gives its anti-aliased
// fringe the density that many overlapping strokes build up, and noise between periods keeps
// more of the band the loops cover.
constexpr int kStrokesPerStep = 2;

}  // namespace

QVector<QPointF> dropRetracedSegments(const QVector<QPointF>& points) {
    const auto finite = [](const QPointF& p) {
        return std::isfinite(p.x()) && std::isfinite(p.y());
    };
    // A pixel as 32 bits; far outside any chart the coordinates saturate.
    const auto pixelKey = [](const QPointF& p) -> std::uint32_t {
        const auto part = [](double v) {
            return static_cast<std::uint32_t>(
                static_cast<std::uint16_t>(std::clamp(std::floor(v), -32768.0, 32767.0) + 32768));
        };
        return (part(p.x()) << 16) | part(p.y());
    };
    QVector<QPointF> out;
    out.reserve(points.size());
    std::unordered_map<std::uint64_t, int> strokes;  // per pair of pixels
    strokes.reserve(static_cast<std::size_t>(points.size()));
    const QPointF gap(NAN, NAN);
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const QPointF& a = points[i];
        const QPointF& b = points[i + 1];
        if (!finite(a) || !finite(b)) {
            continue;
        }
        const std::uint32_t ka = pixelKey(a);
        const std::uint32_t kb = pixelKey(b);
        const std::uint64_t key = (std::uint64_t{std::min(ka, kb)} << 32) | std::max(ka, kb);
        if (++strokes[key] > kStrokesPerStep) {
            if (!out.isEmpty() && finite(out.back())) {
                out.push_back(gap);
            }
            continue;
        }
        if (out.isEmpty() || !finite(out.back()) || out.back() != a) {
            if (!out.isEmpty() && finite(out.back())) {
                out.push_back(gap);
            }
            out.push_back(a);
        }
        out.push_back(b);
    }
    return out;
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
