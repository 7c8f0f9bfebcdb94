#include "analysis/HarmonicLimits.h"

#include <gtest/gtest.h>

#include <memory>

namespace voltaris {
namespace {

constexpr int kNone = 0, kA = 1, kB = 2, kC = 3, kD = 4;
constexpr int kAbsolute = 0, kPctRmsLog = 2, kPctH1Lin = 3, kPctH1Log = 4;

TEST(HarmonicLimitTable, ClassesAAndBInAmperes) {
    const HarmonicArray a = harmonicLimitTable(kA, 0, 0);
    EXPECT_EQ(a[1], 0.0);
    EXPECT_EQ(a[3], 2.3);
    EXPECT_EQ(a[9], 0.4);
    EXPECT_NEAR(a[8], 0.23, 1e-12);
    EXPECT_NEAR(a[10], 0.184, 1e-12);
    EXPECT_NEAR(a[15], 0.15, 1e-12);
    EXPECT_NEAR(a[39], 0.0576923, 1e-7);
    EXPECT_NEAR(a[40], 0.046, 1e-12);
    const HarmonicArray b = harmonicLimitTable(kB, 0, 0);
    EXPECT_NEAR(b[3], 3.45, 1e-12);
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        EXPECT_NEAR(b[k], 1.5 * a[k], 1e-12) << k;
    }
}

TEST(HarmonicLimitTable, ClassCInPercentDependsOnPowerAndPf) {
    const HarmonicArray high = harmonicLimitTable(kC, 25.01, 0.9);
    EXPECT_EQ(high[2], 2.0);
    EXPECT_NEAR(high[3], 27.0, 1e-12);
    EXPECT_EQ(high[9], 5.0);
    EXPECT_EQ(high[39], 3.0);
    EXPECT_EQ(high[40], 0.0);
    const HarmonicArray low = harmonicLimitTable(kC, 25.0, 0.9);  // 25 W is low power
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        EXPECT_EQ(low[k], k == 3 ? 86.0 : k == 5 ? 61.0 : 0.0) << k;
    }
}

TEST(HarmonicLimitTable, ClassDPerWattCappedAtClassA) {
    const HarmonicArray p500 = harmonicLimitTable(kD, 500, 1);
    EXPECT_NEAR(p500[3], 1.7, 1e-12);
    EXPECT_NEAR(p500[21], 500 * 3.85 / 21000, 1e-12);
    const HarmonicArray p1000 = harmonicLimitTable(kD, 1000, 1);
    EXPECT_EQ(p1000[3], 2.3);
    EXPECT_NEAR(p1000[15], 0.15, 1e-12);
    for (std::size_t k = 0; k < kHarmonicCount; k += 2) {
        EXPECT_EQ(p1000[k], 0.0) << k;
    }
    EXPECT_EQ(harmonicLimitTable(5, 1000, 1)[3], 0.0);
}

TEST(HarmonicLimits, ApplicabilityAndDisplayedSeriesPerMode) {
    for (int mode = 0; mode <= 4; ++mode) {
        EXPECT_FALSE(limitsApply(kNone, mode));
        EXPECT_EQ(limitsApply(kA, mode), mode == kAbsolute);
        EXPECT_EQ(limitsApply(kB, mode), mode == kAbsolute);
        EXPECT_EQ(limitsApply(kD, mode), mode == kAbsolute);
        EXPECT_EQ(limitsApply(kC, mode), mode == kPctH1Lin || mode == kPctH1Log);
    }
    EXPECT_FALSE(limitsApply(kA, 5));
    auto m = std::make_unique<MeasurementSet>();
    EXPECT_EQ(harmonicDisplayValues(*m, kAbsolute), &m->HarmI);
    EXPECT_EQ(harmonicDisplayValues(*m, 1), &m->HarmIPctRms);
    EXPECT_EQ(harmonicDisplayValues(*m, kPctRmsLog), &m->HarmIPctRms);
    EXPECT_EQ(harmonicDisplayValues(*m, kPctH1Log), &m->HarmIPctH1);
    EXPECT_EQ(harmonicDisplayValues(*m, 5), nullptr);
}

TEST(CheckHarmonicLimits, VerdictNamesTheLowestFailingOrder) {
    HarmonicArray values{};
    values[1] = 10;
    values[3] = 2.3;  // at the limit: passes
    LimitCheck c = checkHarmonicLimits(kA, kAbsolute, values, 2000, 1);
    EXPECT_EQ(c.text, "OK");
    EXPECT_EQ(c.colours[3], kLimitPassColour);

    values[3] = 2.31;
    values[7] = 1.0;
    values[39] = 1.0;
    c = checkHarmonicLimits(kA, kAbsolute, values, 2000, 1);
    EXPECT_EQ(c.text, "FAILED, harmonic 3, actual 2.310000 > limit 2.300000");
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        const bool fails = k == 3 || k == 7 || k == 39;
        EXPECT_EQ(c.failing[k], fails) << k;
        EXPECT_EQ(c.colours[k], fails ? 0xff2020u : 0x20ff20u) << k;
    }
}

TEST(CheckHarmonicLimits, WrongModeIsNotApplicable) {
    HarmonicArray values{};
    values.fill(1000.0);
    for (auto [cls, mode] : {std::pair{kC, kAbsolute}, std::pair{kA, kPctH1Lin},
                             std::pair{kNone, kAbsolute}, std::pair{kB, 9}}) {
        const LimitCheck c = checkHarmonicLimits(cls, mode, values, 1000, 1);
        EXPECT_FALSE(c.applies);
        EXPECT_EQ(c.text, "n/a");
        EXPECT_EQ(c.limits, HarmonicArray{});
        EXPECT_EQ(c.colours[3], kLimitPassColour);
    }
}

TEST(CheckHarmonicLimits, HugeValuesAreCutToTheTextBuffer) {
    HarmonicArray values{};
    values[2] = 1e300;
    const LimitCheck c = checkHarmonicLimits(kA, kAbsolute, values, 0, 0);
    EXPECT_EQ(c.text.size(), kLimitTextSize - 1);
    EXPECT_EQ(c.text.rfind("FAILED, harmonic 2, actual 1000000000", 0), 0u) << c.text;
}

}  // namespace
}  // namespace voltaris
