// First-order low-pass of the subgroup values with a 1.5 s time constant.
#include "analysis/SubgroupSmoother.h"

#include <cmath>

namespace voltaris {

double smoothingWeight(double windowDuration) {
    // The step response of the continuous filter sampled at the window rate:
    // y_k = y_(k-1) + (x_k - y_(k-1)) (1 - e^(-T/tau)).
    if (!(windowDuration > 0) || !std::isfinite(windowDuration)) {
        return 0;
    }
    return 1 - std::exp(-windowDuration / kSmoothingTimeConstant);
}

HarmonicWindow SubgroupSmoother::smooth(const HarmonicWindow& window) {
    HarmonicWindow out = window;
    if (m_windows == 0) {
        // The first window sets the state to its own values rather than filtering up from zero:
        // a steady load then reads its true level from the first window, and the average over
        // the observation period is not pulled down by a start from nothing.
        m_current = window.currentSubgroups;
        m_voltage = window.voltageSubgroups;
    } else {
        const double alpha = smoothingWeight(window.duration);
        for (std::size_t order = 1; order < kHarmonicCount; ++order) {
            m_current[order] += (window.currentSubgroups[order] - m_current[order]) * alpha;
            m_voltage[order] += (window.voltageSubgroups[order] - m_voltage[order]) * alpha;
        }
    }
    ++m_windows;
    out.currentSubgroups = m_current;
    out.voltageSubgroups = m_voltage;
    return out;
}

void SubgroupSmoother::reset() {
    m_current = {};
    m_voltage = {};
    m_windows = 0;
}

}  // namespace voltaris
