#include "analysis/SubgroupSmoother.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace voltaris {
namespace {

HarmonicWindow window(double value, double duration) {
    HarmonicWindow w;
    w.duration = duration;
    w.activePower = 1000;
    for (std::size_t order = 1; order < kHarmonicCount; ++order) {
        w.currentSubgroups[order] = value * static_cast<double>(order);
        w.voltageSubgroups[order] = 2 * value;
    }
    return w;
}

TEST(SubgroupSmoother, WeightOfTheWindowDuration) {
    EXPECT_NEAR(1 / smoothingWeight(0.2), 8.012, 1e-3);  // the 200 ms digital form
    for (const double d : {0.0, -0.2, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(smoothingWeight(d), 0.0) << d;
    }
}

// The state set by a window of 0, then a step to 1: 63 % is first reached in the window that
// ends within one window after 1.5 s.
TEST(SubgroupSmoother, StepResponseReaches63PercentAfterTheTimeConstant) {
    for (const double duration : {0.2, 12 / 59.9, 0.1}) {
        SCOPED_TRACE(duration);
        SubgroupSmoother s;
        EXPECT_EQ(s.smooth(window(0, duration)).currentSubgroups[5], 0.0);
        double elapsed = 0, y = 0;
        while (y < 0.63) {
            const HarmonicWindow out = s.smooth(window(1, duration));
            elapsed += duration;
            y = out.currentSubgroups[1];
            EXPECT_NEAR(out.currentSubgroups[7], 7 * y, 1e-12);
            EXPECT_NEAR(out.voltageSubgroups[3], 2 * y, 1e-12);
            EXPECT_EQ(out.activePower, 1000.0);
        }
        EXPECT_GE(elapsed, kSmoothingTimeConstant - 1e-9);
        EXPECT_LT(elapsed, kSmoothingTimeConstant + duration);
    }
}

TEST(SubgroupSmoother, FirstWindowSetsTheStateAndResetStartsAgain) {
    SubgroupSmoother s;
    EXPECT_EQ(s.smooth(window(3, 0.2)).currentSubgroups, window(3, 0.2).currentSubgroups);
    EXPECT_NEAR(s.smooth(window(0, 0.2)).currentSubgroups[1], 3 * (1 - 1 / 8.0111), 1e-5);
    s.reset();
    EXPECT_EQ(s.windows(), 0u);
    EXPECT_EQ(s.smooth(window(0.5, 0.2)).voltageSubgroups[2], 1.0);
}

}  // namespace
}  // namespace voltaris
