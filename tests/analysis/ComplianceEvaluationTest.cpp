#include "analysis/ComplianceEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "analysis/SubgroupSmoother.h"

namespace voltaris {
namespace {

constexpr double kVolts = 230;
using enum ComplianceVerdict;
using V = OrderVerdict;

struct Harmonic {
    int order;
    double amps;
};
Harmonic pctA(int order, double pct) {  // pct % of the class A limit
    return {order, harmonicLimitTable(static_cast<int>(LimitClass::A), 0, 0)[order] * pct / 100};
}

// A stretch of steady load: the fundamental current in phase with 230 V, and harmonics.
struct Segment {
    double seconds, fundamental;
    std::vector<Harmonic> harmonics;
};
HarmonicWindow window(const Segment& s) {
    HarmonicWindow w;
    w.duration = 0.2;
    w.vrms = kVolts;
    w.currentSubgroups[1] = s.fundamental;
    double squares = s.fundamental * s.fundamental;
    for (const Harmonic& h : s.harmonics) {
        w.currentSubgroups[h.order] = h.amps;
        squares += h.amps * h.amps;
    }
    w.irms = std::sqrt(squares);
    w.activePower = kVolts * s.fundamental;
    return w;
}

// The segments' windows through one smoother into the evaluation.
void feed(ComplianceEvaluation& e, SubgroupSmoother& s, const std::vector<Segment>& segments) {
    for (const Segment& seg : segments) {
        for (long k = 0; k < std::lround(seg.seconds / 0.2); ++k) {
            ASSERT_TRUE(e.add(s.smooth(window(seg))));
        }
    }
}

TEST(ComplianceEvaluation, RulesOfTheStandard) {
    struct Case {
        const char* name;
        LimitClass limitClass;
        std::vector<Segment> segments;
        ComplianceVerdict verdict;
        std::vector<int> failing;
        int order;
        OrderVerdict orderVerdict;
        double maxPctAtLeast = 0;  // the order did go above its limit for a while
        double limit = 0;          // expected limit of the order, 0: not checked
    };
    const auto A = LimitClass::A, D = LimitClass::D;
    const double d40W = 40 / kVolts;  // class D, order 39 limited to 40 W x 3.85 / 39 mA/W
    std::vector<int> pohcOrders;
    std::vector<Harmonic> pohcAt130;
    for (int n = 21; n <= 39; n += 2) {
        pohcOrders.push_back(n);
        pohcAt130.push_back(pctA(n, 130));
    }
    const std::vector<Segment> base{{30, 10, {pctA(3, 50)}}};
    auto burst = [&](double pct) {
        return std::vector<Segment>{base[0], {6, 10, {pctA(3, pct)}}, base[0]};
    };
    // Half the time 150 W, half 250 W: limits of 200 W (3.4 mA/W for the third).
    auto d200W = [](double i3) {
        return std::vector<Segment>{{5, 150 / kVolts, {{3, i3}}}, {5, 250 / kVolts, {{3, i3}}}};
    };
    const double c1000W = 1000 / kVolts;
    // clang-format off
    const Case cases[] = {
        {"just below", A, {{10, 10, {pctA(3, 99.5)}}}, Pass, {}, 3, V::Pass},
        {"just above", A, {{10, 10, {pctA(3, 100.5)}}}, Fail, {3}, 3, V::Fail},
        {"6 s at 140 %", A, burst(140), Pass, {}, 3, V::Pass, 130},
        {"6 s at 160 %", A, burst(160), Fail, {3}, 3, V::Fail, 150},
        {"steady 110 %", A, {{20, 10, {pctA(3, 110)}}}, Fail, {3}, 3, V::Fail, 105},
        {"21 at 130 %, POHC within", A, {{10, 10, {pctA(21, 130)}}}, Pass, {}, 21, V::Pass, 125},
        {"odd 21..39 at 130 %, POHC over", A, {{10, 10, pohcAt130}}, Fail, pohcOrders, 21, V::Fail},
        {"21 at 160 %", A, {{10, 10, {pctA(21, 160)}}}, Fail, {21}, 21, V::Fail},
        {"19 at 130 %: no POHC allowance", A, {{10, 10, {pctA(19, 130)}}}, Fail, {19}, 19, V::Fail},
        {"55 mA < 0.6 % of 10 A", A, {{10, 10, {{40, 0.055}}}}, Pass, {}, 40, V::Disregarded},
        {"55 mA > 0.6 % of 5 A", A, {{10, 5, {{40, 0.055}}}}, Fail, {40}, 40, V::Fail},
        {"4.8 mA < 5 mA", D, {{10, d40W, {{39, 0.0048}}}}, Pass, {}, 39, V::Disregarded},
        {"6 mA > 5 mA", D, {{10, d40W, {{39, 0.006}}}}, Fail, {39}, 39, V::Fail, 150,
         40 * 3.85e-3 / 39},
        {"D of the average 200 W, within", D, d200W(0.65), Pass, {}, 3, V::Pass, 0, 0.68},
        {"D of the average 200 W, over", D, d200W(0.75), Fail, {3}, 3, V::Fail, 105, 0.68},
        {"C in % of the fundamental", LimitClass::C, {{10, c1000W, {{5, 0.11 * c1000W}}}}, Fail,
         {5}, 5, V::Fail, 105, 10},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComplianceEvaluation e(c.limitClass);
        SubgroupSmoother s;
        feed(e, s, c.segments);
        const ComplianceResult r = e.result();
        EXPECT_EQ(r.verdict, c.verdict);
        EXPECT_EQ(r.failingOrders, c.failing);
        EXPECT_EQ(r.orders[c.order].verdict, c.orderVerdict);
        EXPECT_GE(r.orders[c.order].maxPctOfLimit, c.maxPctAtLeast);
        if (c.limit != 0) {
            EXPECT_NEAR(r.orders[c.order].limit, c.limit, 1e-12);
        }
        EXPECT_EQ(r.orders[1].verdict, V::NoLimit);
    }
}

TEST(ComplianceEvaluation, ObservationTimeAndWorstHarmonicSoFar) {
    ComplianceEvaluation e(LimitClass::A);
    SubgroupSmoother s;
    EXPECT_EQ(e.worstSoFar().order, 0);
    feed(e, s, {{30, 10, {pctA(3, 50), pctA(5, 80)}}});
    EXPECT_EQ(e.worstSoFar().order, 5);
    EXPECT_NEAR(e.worstSoFar().pctOfLimit, 80, 1e-9);
    feed(e, s, {{6, 10, {pctA(3, 140), pctA(5, 80)}}});
    const ComplianceResult r = e.result();
    EXPECT_EQ(r.windows, 180u);
    EXPECT_NEAR(r.observationTime, 36, 1e-9);
    EXPECT_EQ(r.worst.order, 3);
    EXPECT_DOUBLE_EQ(r.worst.pctOfLimit, r.orders[3].maxPctOfLimit);
    EXPECT_NEAR(r.averagePower, kVolts * 10, 1e-9);
}

TEST(ComplianceEvaluation, NothingToEvaluateAndRefusedWindows) {
    EXPECT_EQ(ComplianceEvaluation(LimitClass::A).result().verdict, NotEvaluated);
    ComplianceEvaluation none(LimitClass::None);
    ASSERT_TRUE(none.add(window({1, 10, {pctA(3, 500)}})));
    EXPECT_EQ(none.result().verdict, NotEvaluated);

    ComplianceEvaluation e(LimitClass::A);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<HarmonicWindow> bad(4, window({1, 10, {}}));
    bad[0].duration = 0;
    bad[1].duration = nan;
    bad[2].irms = nan;
    bad[3].currentSubgroups[7] = std::numeric_limits<double>::infinity();
    for (const HarmonicWindow& w : bad) {
        EXPECT_FALSE(e.add(w));
    }
    EXPECT_EQ(e.windows(), 0u);
}

// Two 85-period captures, the third at 110 % of the class A limit, the fifth at 50 %.
TEST(ComplianceEvaluation, CapturesThroughWindowsAndSmoothing) {
    const double i3 = pctA(3, 110).amps * std::sqrt(2.0), i5 = pctA(5, 50).amps * std::sqrt(2.0);
    std::vector<double> v(85 * kSamplesPerPeriod), i(v.size());
    for (std::size_t k = 0; k < v.size(); ++k) {
        const double wt = 2 * std::numbers::pi * static_cast<double>(k) / 256;
        v[k] = 325 * std::sin(wt);
        i[k] = 14 * std::sin(wt) + i3 * std::sin(3 * wt) + i5 * std::sin(5 * wt + 1);
    }
    ComplianceEvaluation e(LimitClass::A);
    SubgroupSmoother s;
    for (int capture = 0; capture < 2; ++capture) {
        for (const HarmonicWindow& w : windowedHarmonics(v, i, 50.0)) {
            ASSERT_TRUE(e.add(s.smooth(w)));
        }
    }
    const ComplianceResult r = e.result();
    EXPECT_EQ(r.windows, 16u);
    EXPECT_NEAR(r.observationTime, 3.2, 1e-12);
    EXPECT_EQ(r.failingOrders, std::vector<int>{3});
    EXPECT_NEAR(r.orders[3].averagePctOfLimit, 110, 0.1);
    EXPECT_NEAR(r.orders[5].maxPctOfLimit, 50, 0.1);
    EXPECT_EQ(r.orders[5].verdict, V::Pass);
    EXPECT_EQ(r.orders[7].verdict, V::Disregarded);
}

}  // namespace
}  // namespace voltaris
