#include "analysis/HarmonicLimits.h"

#include <gtest/gtest.h>

#include <memory>

namespace voltaris {
namespace {

constexpr int kNone = 0, kA = 1, kB = 2, kC = 3, kD = 4;
constexpr int kAbsolute = 0, kPctH1Lin = 3, kPctH1Log = 4;

TEST(HarmonicLimitTable, ClassesAToD) {
    const HarmonicArray a = harmonicLimitTable(kA, 0, 0);
    const HarmonicArray b = harmonicLimitTable(kB, 0, 0);
    EXPECT_EQ(a[1], 0.0);
    EXPECT_EQ(a[3], 2.3);
    EXPECT_EQ(a[9], 0.4);
    EXPECT_NEAR(a[10], 0.184, 1e-12);
    EXPECT_NEAR(a[15], 0.15, 1e-12);
    EXPECT_NEAR(a[39], 0.0576923, 1e-7);
    EXPECT_NEAR(a[40], 0.046, 1e-12);
    EXPECT_NEAR(b[3], 3.45, 1e-12);
    EXPECT_NEAR(b[40], 1.5 * a[40], 1e-12);

    const HarmonicArray c = harmonicLimitTable(kC, 25.01, 0.9);
    EXPECT_EQ(c[2], 2.0);
    EXPECT_NEAR(c[3], 27.0, 1e-12);  // 30 x PF
    EXPECT_EQ(c[39], 3.0);
    EXPECT_EQ(c[40], 0.0);
    const HarmonicArray cLow = harmonicLimitTable(kC, 25.0, 0.9);  // 25 W is low power
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        EXPECT_EQ(cLow[k], k == 3 ? 86.0 : k == 5 ? 61.0 : 0.0) << k;
    }

    EXPECT_NEAR(harmonicLimitTable(kD, 500, 1)[3], 1.7, 1e-12);
    EXPECT_NEAR(harmonicLimitTable(kD, 500, 1)[21], 500 * 3.85 / 21000, 1e-12);
    const HarmonicArray d = harmonicLimitTable(kD, 1000, 1);
    EXPECT_EQ(d[3], 2.3);  // capped at the maximum
    EXPECT_NEAR(d[15], 0.15, 1e-12);
    EXPECT_EQ(d[2] + d[40], 0.0);
    EXPECT_EQ(harmonicLimitTable(5, 1000, 1), HarmonicArray{});
}

TEST(HarmonicLimits, ApplicabilityAndDisplayedSeriesPerMode) {
    for (int mode = 0; mode <= 4; ++mode) {
        EXPECT_FALSE(limitsApply(kNone, mode));
        for (int cls : {kA, kB, kD}) {
            EXPECT_EQ(limitsApply(cls, mode), mode == kAbsolute) << cls << " " << mode;
        }
        EXPECT_EQ(limitsApply(kC, mode), mode == kPctH1Lin || mode == kPctH1Log) << mode;
    }
    auto m = std::make_unique<MeasurementSet>();
    EXPECT_EQ(harmonicDisplayValues(*m, kAbsolute), &m->HarmI);
    EXPECT_EQ(harmonicDisplayValues(*m, 2), &m->HarmIPctRms);
    EXPECT_EQ(harmonicDisplayValues(*m, kPctH1Lin), &m->HarmIPctH1);
    EXPECT_EQ(harmonicDisplayValues(*m, 5), nullptr);
}

TEST(CheckHarmonicLimits, VerdictNamesTheLowestFailingOrder) {
    HarmonicArray values{};
    values[1] = 10;
    values[3] = 2.3;  // at the limit: passes
    LimitCheck c = checkHarmonicLimits(kA, kAbsolute, values, 2000, 1);
    EXPECT_EQ(c.text, "OK");

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

    c = checkHarmonicLimits(kC, kAbsolute, values, 1000, 1);  // percent limits, absolute values
    EXPECT_EQ(c.text, "n/a");
    EXPECT_FALSE(c.applies);
    EXPECT_EQ(c.limits, HarmonicArray{});
    EXPECT_EQ(c.colours[3], kLimitPassColour);

    values[2] = 1e300;  // cut to the 100-byte text, never beyond
    c = checkHarmonicLimits(kA, kAbsolute, values, 0, 0);
    EXPECT_EQ(c.text.size(), kLimitTextSize - 1);
    EXPECT_EQ(c.text.rfind("FAILED, harmonic 2, actual 1000000000", 0), 0u) << c.text;
}

}  // namespace
}  // namespace voltaris
