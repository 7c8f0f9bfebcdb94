// Axis scale arithmetic: automatic ranges with readable tick steps, fixed linear scales and
// logarithmic scales, resolved to the lower/upper bounds and tick positions an axis draws.
#pragma once

#include <limits>
#include <vector>

namespace voltaris::charts {

enum class ScaleMode { Auto, Linear, Log };

// What the page asked of one axis.
struct ScaleSetting {
    ScaleMode mode = ScaleMode::Auto;
    double lower = 0;
    double upper = 0;
    double majorStep = 0;  // 0: chosen from the axis length
    double minorStep = 0;  // 0: no minor ticks (log scales: 2..9 of each decade)
    double topExtension = 0.1;
    double bottomExtension = 0.1;
    double zeroAffinity = 0.8;
};

// The finite values an axis has to show.
struct DataExtent {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    double minPositive = std::numeric_limits<double>::infinity();

    void add(double value);
    [[nodiscard]] bool empty() const { return min > max; }
};

// How an automatic scale treats the data range.
struct AutoRules {
    bool extend = true;        // apply the top/bottom extensions and the zero affinity
    bool roundToTicks = true;  // widen the bounds to whole tick steps
    int pixelsPerTick = 40;    // wanted spacing of major ticks
};

struct AxisScale {
    double lower = 0;
    double upper = 1;
    double majorStep = 0;
    bool logarithmic = false;
    std::vector<double> majorTicks;
    std::vector<double> minorTicks;
};

// A readable step (1, 2 or 5 times a power of ten) giving at most about `maxTicks` intervals.
[[nodiscard]] double niceStep(double span, int maxTicks);

// Resolves the setting against the data for an axis `lengthPixels` long.
[[nodiscard]] AxisScale resolveScale(const ScaleSetting& setting, const DataExtent& data,
                                     int lengthPixels, const AutoRules& rules = {});

}  // namespace voltaris::charts
