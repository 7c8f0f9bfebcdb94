// The 1.5 s smoothing of harmonic subgroups that IEC 61000-4-7 prescribes for the evaluations of
// IEC 61000-3-2, carried over successive windows and from one capture to the next.
#pragma once

#include "analysis/WindowedHarmonics.h"

namespace voltaris {

inline constexpr double kSmoothingTimeConstant = 1.5;  // s

// Weight of a new window in the first-order low-pass: 1 - exp(-duration / 1.5 s), which for a
// 200 ms window is 1 / 8.011 (the digital form of IEC 61000-4-7,
// y = x / 8.012 + 7.012 / 8.012 y_prev). 0 for a duration that is not above zero.
[[nodiscard]] double smoothingWeight(double windowDuration);

// Feed it the windows of capture after capture, in time order.
class SubgroupSmoother {
public:
    // The window with its current and voltage subgroups (orders 1 to 40) replaced by their
    // smoothed values, y_k = y_(k-1) + (x_k - y_(k-1)) alpha with alpha = smoothingWeight of
    // this window's duration; power, RMS values and the rest are passed through unchanged.
    [[nodiscard]] HarmonicWindow smooth(const HarmonicWindow& window);

    // Forgets the state: the next window starts the filter again.
    void reset();

    // Windows smoothed since construction or the last reset.
    [[nodiscard]] std::size_t windows() const { return m_windows; }

private:
    HarmonicArray m_current{};
    HarmonicArray m_voltage{};
    std::size_t m_windows = 0;
};

}  // namespace voltaris
