#include "analysis/Harmonics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace voltaris {
namespace {

struct Term {
    int order;
    double amplitude;
    double phaseDegrees = 0;
};

// One period of a sum of amplitude x cos(order wt + phase), and its harmonic analysis.
struct Analysed {
    HarmonicArray magnitude{}, phase{};
    DistortionViews views;
};
Analysed analyse(std::initializer_list<Term> terms) {
    std::array<double, kSamplesPerPeriod> p{};
    for (std::size_t i = 0; i < p.size(); ++i) {
        for (const Term& t : terms) {
            const double wt = 2 * std::numbers::pi * t.order * static_cast<double>(i) / 256.0;
            p[i] += t.amplitude * std::cos(wt + t.phaseDegrees * std::numbers::pi / 180);
        }
    }
    Analysed a;
    analysePeriod(p, a.magnitude, a.phase);
    a.views = distortionViews(a.magnitude);
    return a;
}

TEST(Harmonics, KnownPeriodsGiveTheirRmsMagnitudesAndThd) {
    const Analysed cosine = analyse({{1, 325.0}});
    EXPECT_NEAR(cosine.magnitude[1], 325.0 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(cosine.magnitude[2] + cosine.magnitude[40], 0.0, 1e-9);
    EXPECT_NEAR(cosine.views.thd, 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(cosine.views.pctH1[1], 100.0);

    EXPECT_NEAR(analyse({{0, -3.5}}).magnitude[0], std::sqrt(2.0) * 3.5, 1e-12);

    const Analysed third = analyse({{1, 100.0}, {3, 10.0, 40.0}, {41, 50.0}});
    EXPECT_NEAR(third.views.thd, 10.0, 1e-9);  // order 41 is outside the sum
    EXPECT_NEAR(third.views.pctH1[3], 10.0, 1e-9);
    EXPECT_NEAR(third.views.pctRms[1], 100.0 / std::sqrt(1.01), 1e-9);
}

TEST(Harmonics, LaggingCurrentHasPositivePhaseAfterReferencing) {
    Analysed v = analyse({{1, 325.0}, {5, 20.0, 10.0}});
    Analysed i = analyse({{1, 10.0, -30.0}});
    EXPECT_NEAR(v.phase[1], 90.0, 1e-9);
    EXPECT_NEAR(i.phase[1], 120.0, 1e-9);
    const double rawV5 = v.phase[5];
    referencePhases(v.phase, i.phase);
    EXPECT_EQ(v.phase[1], 0.0);
    EXPECT_NEAR(i.phase[1], 30.0, 1e-9);
    EXPECT_NEAR(v.phase[5], rawV5 - 90.0, 1e-9);
}

TEST(Harmonics, NoFundamentalGivesZeroRatiosNotNanOrNoise) {
    const Analysed zero = analyse({});
    EXPECT_EQ(zero.views.thd, 0.0);
    EXPECT_EQ(zero.views.pctRms[0], 0.0);
    EXPECT_EQ(zero.views.pctH1[1], 0.0);

    // DC and a third only: the transform's rounding noise at order 1 must not give 1e17 %.
    const Analysed noFundamental = analyse({{0, 2.0}, {3, 1.0}});
    EXPECT_EQ(noFundamental.views.thd, 0.0);
    EXPECT_EQ(noFundamental.views.pctH1[3], 0.0);
    EXPECT_NEAR(noFundamental.views.pctRms[3], 100 * std::sqrt(0.5) / std::sqrt(8.5), 1e-9);
    // A small but real fundamental still counts.
    EXPECT_NEAR(analyse({{1, 1e-6}, {3, 1.0}}).views.thd, 1e8, 1e2);
}

}  // namespace
}  // namespace voltaris
