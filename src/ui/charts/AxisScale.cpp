// Axis scale arithmetic.
#include "ui/charts/AxisScale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaris::charts {
namespace {

constexpr int kMaxTicks = 200;  // bounds the tick vectors whatever the page asks for

// Ticks at origin + k * step inside [lower, upper], tolerant to rounding at both ends.
std::vector<double> ticksFrom(double origin, double step, double lower, double upper) {
    std::vector<double> ticks;
    if (!(step > 0) || !std::isfinite(step)) {
        return ticks;
    }
    const double eps = step * 1e-9;
    const double first = std::ceil((lower - origin - eps) / step);
    for (int k = 0; k < kMaxTicks; ++k) {
        double t = origin + (first + k) * step;
        if (t > upper + eps) {
            break;
        }
        if (std::fabs(t) < eps) {
            t = 0;
        }
        ticks.push_back(t);
    }
    return ticks;
}

bool contains(const std::vector<double>& ticks, double value, double eps) {
    return std::any_of(ticks.begin(), ticks.end(),
                       [&](double t) { return std::fabs(t - value) <= eps; });
}

// The readable step just below `step` (a 1, 2 or 5 times a power of ten): 5 -> 2 -> 1 -> 0.5.
double finerStep(double step) {
    const double magnitude = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double mantissa = std::round(step / magnitude);
    if (mantissa >= 5) {
        return 2 * magnitude;
    }
    return mantissa >= 2 ? magnitude : magnitude / 2;
}

int wantedTicks(int lengthPixels, int pixelsPerTick) {
    return std::max(1, lengthPixels / std::max(8, pixelsPerTick));
}

AxisScale logScale(const ScaleSetting& s, const DataExtent& data) {
    AxisScale scale;
    scale.logarithmic = true;
    double upper = s.upper;
    double lower = s.lower;
    if (!(upper > 0)) {
        upper = std::isfinite(data.max) && data.max > 0 ? data.max : 100;
        upper = std::pow(10.0, std::ceil(std::log10(upper)));
    }
    if (!(lower > 0)) {
        // Zero cannot sit on a logarithmic axis: start at the decade of the smallest positive
        // value shown, or three decades below the top when nothing positive is shown.
        lower = std::isfinite(data.minPositive) && data.minPositive < upper
                    ? std::pow(10.0, std::floor(std::log10(data.minPositive)))
                    : upper / 1000;
        lower = std::max(lower, upper * 1e-9);
    }
    if (!(upper > lower)) {
        upper = lower * 10;
    }
    scale.lower = lower;
    scale.upper = upper;
    const double factor = s.majorStep > 1 ? s.majorStep : 10.0;
    scale.majorStep = factor;
    const double logFactor = std::log10(factor);
    const double firstExp = std::floor(std::log10(lower) / logFactor);
    for (int k = 0; k < kMaxTicks; ++k) {
        const double decade = std::pow(10.0, (firstExp + k) * logFactor);
        if (decade > upper * (1 + 1e-9)) {
            break;
        }
        if (decade >= lower * (1 - 1e-9)) {
            scale.majorTicks.push_back(decade);
        }
        if (factor == 10.0) {
            for (int m = 2; m <= 9; ++m) {
                const double minor = decade * m;
                if (minor > lower && minor < upper) {
                    scale.minorTicks.push_back(minor);
                }
            }
        }
    }
    return scale;
}

}  // namespace

void DataExtent::add(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    min = std::min(min, value);
    max = std::max(max, value);
    if (value > 0) {
        minPositive = std::min(minPositive, value);
    }
}

double niceStep(double span, int maxTicks) {
    if (!(span > 0) || !std::isfinite(span)) {
        return 1;
    }
    const double raw = span / std::max(1, maxTicks);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * magnitude >= raw * (1 - 1e-9)) {
            return m * magnitude;
        }
    }
    return 10 * magnitude;
}

AxisScale resolveScale(const ScaleSetting& setting, const DataExtent& data, int lengthPixels,
                       const AutoRules& rules) {
    if (setting.mode == ScaleMode::Log) {
        return logScale(setting, data);
    }
    AxisScale scale;
    const int wanted = wantedTicks(lengthPixels, rules.pixelsPerTick);
    if (setting.mode == ScaleMode::Linear && setting.upper != setting.lower &&
        std::isfinite(setting.lower) && std::isfinite(setting.upper)) {
        scale.lower = std::min(setting.lower, setting.upper);
        scale.upper = std::max(setting.lower, setting.upper);
        if (setting.majorStep > 0) {
            scale.majorStep = setting.majorStep;
            scale.majorTicks = ticksFrom(scale.lower, scale.majorStep, scale.lower, scale.upper);
        } else {
            scale.majorStep = niceStep(scale.upper - scale.lower, wanted);
            scale.majorTicks = ticksFrom(0, scale.majorStep, scale.lower, scale.upper);
        }
    } else {
        double lo = data.empty() ? 0 : data.min;
        double hi = data.empty() ? 10 : data.max;
        bool lowPinned = false;
        bool highPinned = false;
        if (rules.extend) {
            if (lo >= 0 && hi > 0 && lo <= hi * setting.zeroAffinity) {
                lo = 0;
                lowPinned = true;
            } else if (hi <= 0 && lo < 0 && hi >= lo * setting.zeroAffinity) {
                hi = 0;
                highPinned = true;
            }
        }
        if (hi == lo) {
            const double half = lo == 0 ? 0.5 : std::fabs(lo) * 0.1;
            lo -= half;
            hi += half;
        }
        if (rules.extend) {
            const double span = hi - lo;
            if (!lowPinned) {
                lo -= span * std::max(0.0, setting.bottomExtension);
            }
            if (!highPinned) {
                hi += span * std::max(0.0, setting.topExtension);
            }
        }
        scale.majorStep = niceStep(hi - lo, wanted);
        if (rules.roundToTicks) {
            // Rounding out to the step from the tick density can leave a third of the axis
            // empty (±432 V on steps of 200 spans ±600 V). One finer step is taken when it
            // gives a tighter range with at most a quarter more ticks than wanted.
            const auto rounded = [&](double step) {
                return std::pair{std::floor(lo / step + 1e-9) * step,
                                 std::ceil(hi / step - 1e-9) * step};
            };
            auto [low, high] = rounded(scale.majorStep);
            const double finer = finerStep(scale.majorStep);
            const auto [fineLow, fineHigh] = rounded(finer);
            if ((fineHigh - fineLow) / finer <= wanted + wanted / 4 + 1e-9 &&
                fineHigh - fineLow < high - low - finer * 1e-9) {
                scale.majorStep = finer;
                low = fineLow;
                high = fineHigh;
            }
            lo = low;
            hi = high;
        }
        scale.lower = lo;
        scale.upper = hi;
        scale.majorTicks = ticksFrom(0, scale.majorStep, lo, hi);
    }
    if (setting.mode == ScaleMode::Linear && setting.minorStep > 0 &&
        setting.minorStep < scale.majorStep) {
        const double origin = scale.majorTicks.empty() ? scale.lower : scale.majorTicks.front();
        const double eps = setting.minorStep * 1e-6;
        for (double t : ticksFrom(origin, setting.minorStep, scale.lower, scale.upper)) {
            if (!contains(scale.majorTicks, t, eps)) {
                scale.minorTicks.push_back(t);
            }
        }
    }
    return scale;
}

}  // namespace voltaris::charts
