// Automatic, fixed and logarithmic axis scales.
#include "ui/charts/AxisScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace voltaris::charts {
namespace {

DataExtent extentOf(std::initializer_list<double> values) {
    DataExtent e;
    for (double v : values) {
        e.add(v);
    }
    return e;
}

ScaleSetting linear(double lower, double upper, double major = 0, double minor = 0) {
    ScaleSetting s;
    s.mode = ScaleMode::Linear;
    s.lower = lower;
    s.upper = upper;
    s.majorStep = major;
    s.minorStep = minor;
    return s;
}

bool isMultiple(double value, double step) {
    const double q = value / step;
    return std::fabs(q - std::round(q)) < 1e-6;
}

TEST(AxisScale, NiceStepsAreOneTwoFive) {
    EXPECT_DOUBLE_EQ(niceStep(720, 8), 100);
    EXPECT_DOUBLE_EQ(niceStep(1, 4), 0.5);
    EXPECT_DOUBLE_EQ(niceStep(0.04, 8), 0.005);
    EXPECT_DOUBLE_EQ(niceStep(21759, 12), 2000);
    EXPECT_DOUBLE_EQ(niceStep(0, 5), 1);
    EXPECT_DOUBLE_EQ(niceStep(NAN, 5), 1);
}

TEST(AxisScale, FixedScaleKeepsBoundsAndSteps) {
    const AxisScale s = resolveScale(linear(-100, 100, 20), extentOf({-500, 500}), 220);
    EXPECT_DOUBLE_EQ(s.lower, -100);
    EXPECT_DOUBLE_EQ(s.upper, 100);
    ASSERT_EQ(s.majorTicks.size(), 11u);
    EXPECT_DOUBLE_EQ(s.majorTicks.front(), -100);
    EXPECT_DOUBLE_EQ(s.majorTicks[5], 0);
    EXPECT_DOUBLE_EQ(s.majorTicks.back(), 100);
    EXPECT_TRUE(s.minorTicks.empty());

    // Current scale of +-0.01 A in steps of 0.0025: ticks survive rounding at both ends.
    const AxisScale small = resolveScale(linear(-0.01, 0.01, 0.0025), {}, 220);
    EXPECT_EQ(small.majorTicks.size(), 9u);
}

TEST(AxisScale, FixedScaleWithoutStepChoosesReadableTicks) {
    const AxisScale s = resolveScale(linear(40, 70), {}, 100, {true, true, 25});
    EXPECT_DOUBLE_EQ(s.lower, 40);
    EXPECT_DOUBLE_EQ(s.upper, 70);
    EXPECT_EQ(s.majorTicks, (std::vector<double>{40, 50, 60, 70}));
}

TEST(AxisScale, MinorTicksFillBetweenMajorOnes) {
    const AxisScale s = resolveScale(linear(0, 1, 0.25, 0.05), {}, 200);
    EXPECT_EQ(s.majorTicks.size(), 5u);
    EXPECT_EQ(s.minorTicks.size(), 16u);
    for (double m : s.minorTicks) {
        EXPECT_FALSE(isMultiple(m, 0.25)) << m;
    }
}

TEST(AxisScale, AutomaticScaleCoversDataOnWholeSteps) {
    const AxisScale s = resolveScale({}, extentOf({-325.3, 325.3}), 220, {true, true, 25});
    EXPECT_LT(s.lower, -325.3 - 0.05 * 650);  // bottom extension
    EXPECT_GT(s.upper, 325.3 + 0.05 * 650);
    EXPECT_DOUBLE_EQ(s.lower, -s.upper);
    EXPECT_TRUE(isMultiple(s.lower, s.majorStep));
    EXPECT_TRUE(isMultiple(s.upper, s.majorStep));
    EXPECT_GE(s.majorTicks.size(), 4u);
    EXPECT_LE(s.majorTicks.size(), 12u);
}

TEST(AxisScale, AutomaticScaleTakesTheTighterOfTwoReadableSteps) {
    // ±360 V extended by a tenth is ±432 V: steps of 200 would round it out to ±600 V.
    const AxisScale volts = resolveScale({}, extentOf({-360, 360}), 220, {true, true, 25});
    EXPECT_DOUBLE_EQ(volts.upper, 500);
    EXPECT_DOUBLE_EQ(volts.majorStep, 100);
    const AxisScale amps = resolveScale({}, extentOf({-1.8, 1.8}), 220, {true, true, 25});
    EXPECT_DOUBLE_EQ(amps.upper, 2.5);
    EXPECT_DOUBLE_EQ(amps.majorStep, 0.5);
    // Whatever the data, the finer step never crowds the axis beyond a quarter more ticks.
    for (double peak = 0.1; peak < 1000; peak *= 1.07) {
        const AxisScale s = resolveScale({}, extentOf({-peak, peak}), 220, {true, true, 25});
        EXPECT_LE(s.majorTicks.size(), 11u) << peak;
        EXPECT_GE(s.upper, peak * 1.1 - 1e-9) << peak;
    }
}

TEST(AxisScale, ZeroAffinityPullsNearbyRangesToZero) {
    const AxisScale fromZero = resolveScale({}, extentOf({100, 250}), 200);
    EXPECT_DOUBLE_EQ(fromZero.lower, 0);
    const AxisScale floating = resolveScale({}, extentOf({210, 250}), 200);
    EXPECT_GT(floating.lower, 0);
    EXPECT_LE(floating.lower, 210);
    const AxisScale negative = resolveScale({}, extentOf({-250, -100}), 200);
    EXPECT_DOUBLE_EQ(negative.upper, 0);

    ScaleSetting noAffinity;
    noAffinity.zeroAffinity = 0;
    EXPECT_GT(resolveScale(noAffinity, extentOf({100, 250}), 200).lower, 0);
}

TEST(AxisScale, DegenerateDataStillGivesARange) {
    const AxisScale flat = resolveScale({}, extentOf({5, 5}), 200);
    EXPECT_LT(flat.lower, flat.upper);
    EXPECT_LE(flat.lower, 5);
    EXPECT_GE(flat.upper, 5);
    const AxisScale zero = resolveScale({}, extentOf({0, 0}), 200);
    EXPECT_LE(zero.lower, 0);
    EXPECT_GT(zero.upper, 0);
    const AxisScale none = resolveScale({}, extentOf({NAN, INFINITY}), 200);
    EXPECT_LT(none.lower, none.upper);
    // A fixed scale of zero width cannot be drawn: the axis scales itself instead.
    const AxisScale empty = resolveScale(linear(3, 3), extentOf({1, 2}), 200);
    EXPECT_LE(empty.lower, 1);
    EXPECT_GE(empty.upper, 2);
}

TEST(AxisScale, LogScaleStartsAtTheDecadeOfTheSmallestValue) {
    ScaleSetting log;
    log.mode = ScaleMode::Log;
    log.lower = 0;
    log.upper = 100;
    const AxisScale s = resolveScale(log, extentOf({0, 0.05, 3, 100}), 245);
    EXPECT_TRUE(s.logarithmic);
    EXPECT_DOUBLE_EQ(s.lower, 0.01);
    EXPECT_DOUBLE_EQ(s.upper, 100);
    ASSERT_EQ(s.majorTicks.size(), 5u);
    EXPECT_NEAR(s.majorTicks[1], 0.1, 1e-12);
    EXPECT_NEAR(s.majorTicks[4], 100, 1e-9);
    EXPECT_EQ(s.minorTicks.size(), 32u);  // 2..9 in each of four decades
    EXPECT_TRUE(std::all_of(s.minorTicks.begin(), s.minorTicks.end(),
                            [](double m) { return m > 0.01 && m < 100; }));

    // Nothing positive to show: three decades below the top.
    const AxisScale blank = resolveScale(log, extentOf({0, -4}), 245);
    EXPECT_DOUBLE_EQ(blank.lower, 0.1);
}

}  // namespace
}  // namespace voltaris::charts
