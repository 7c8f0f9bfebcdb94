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
constexpr double kWindow = 0.2;  // s

struct Harmonic {
    int order;
    double amps;
};

// Class A limit of the order times pct / 100.
Harmonic pctA(int order, double pct) {
    return {order, harmonicLimitTable(static_cast<int>(LimitClass::A), 0, 0)[order] * pct / 100};
}

// A stretch of steady load: the fundamental current (in phase with 230 V) and some harmonics.
struct Segment {
    double seconds;
    double fundamental;
    std::vector<Harmonic> harmonics;
};

HarmonicWindow window(const Segment& s) {
    HarmonicWindow w;
    w.duration = kWindow;
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

// Every segment's windows through the smoother into the evaluation.
void feed(ComplianceEvaluation& e, SubgroupSmoother& s, const std::vector<Segment>& segments) {
    for (const Segment& seg : segments) {
        for (int k = 0; k < std::lround(seg.seconds / kWindow); ++k) {
            ASSERT_TRUE(e.add(s.smooth(window(seg))));
        }
    }
}

struct EvaluationCase {
    const char* name;
    LimitClass limitClass;
    std::vector<Segment> segments;
    ComplianceVerdict verdict;
    std::vector<int> failing;
    int order;
    OrderVerdict orderVerdict;
    double maxPctAtLeast = 0;  // shows the order did go above its limit for a while
    double limit = 0;          // expected limit of the order, 0: not checked
};

TEST(ComplianceEvaluation, RulesOfTheStandard) {
    using enum ComplianceVerdict;
    const auto A = LimitClass::A;
    const double d40W = 40 / kVolts;  // class D, limit of order 39: 40 x 3.85 / 39 mA
    std::vector<int> allPohc;
    std::vector<Harmonic> allPohcAt130;
    for (int n = 21; n <= 39; n += 2) {
        allPohc.push_back(n);
        allPohcAt130.push_back(pctA(n, 130));
    }
    const EvaluationCase cases[] = {
        {"just below", A, {{10, 10, {pctA(3, 99.5)}}}, Pass, {}, 3, OrderVerdict::Pass},
        {"just above", A, {{10, 10, {pctA(3, 100.5)}}}, Fail, {3}, 3, OrderVerdict::Fail},
        {"6 s at 140 %",
         A,
         {{30, 10, {pctA(3, 50)}}, {6, 10, {pctA(3, 140)}}, {30, 10, {pctA(3, 50)}}},
         Pass, {}, 3, OrderVerdict::Pass, 130},
        {"6 s at 160 %",
         A,
         {{30, 10, {pctA(3, 50)}}, {6, 10, {pctA(3, 160)}}, {30, 10, {pctA(3, 50)}}},
         Fail, {3}, 3, OrderVerdict::Fail, 150},
        {"steady 110 %", A, {{20, 10, {pctA(3, 110)}}}, Fail, {3}, 3, OrderVerdict::Fail, 105},
        {"21 at 130 %, POHC within", A, {{10, 10, {pctA(21, 130)}}}, Pass, {}, 21,
         OrderVerdict::Pass, 125},
        {"odd 21..39 at 130 %, POHC over", A, {{10, 10, allPohcAt130}}, Fail, allPohc, 21,
         OrderVerdict::Fail},
        {"21 at 160 %", A, {{10, 10, {pctA(21, 160)}}}, Fail, {21}, 21, OrderVerdict::Fail},
        {"19 at 130 % has no POHC allowance", A, {{10, 10, {pctA(19, 130)}}}, Fail, {19}, 19,
         OrderVerdict::Fail},
        {"22 at 130 % has no POHC allowance", A, {{10, 10, {pctA(22, 130)}}}, Fail, {22}, 22,
         OrderVerdict::Fail},
        {"55 mA below 0.6 % of 10 A", A, {{10, 10, {{40, 0.055}}}}, Pass, {}, 40,
         OrderVerdict::Disregarded},
        {"55 mA above 0.6 % of 5 A", A, {{10, 5, {{40, 0.055}}}}, Fail, {40}, 40,
         OrderVerdict::Fail},
        {"4.8 mA below 5 mA", LimitClass::D, {{10, d40W, {{39, 0.0048}}}}, Pass, {}, 39,
         OrderVerdict::Disregarded},
        {"6 mA above 5 mA", LimitClass::D, {{10, d40W, {{39, 0.006}}}}, Fail, {39}, 39,
         OrderVerdict::Fail, 150, 40 * 3.85 / 39000},
        {"class D per watt of the average power, within",
         LimitClass::D,
         {{5, 150 / kVolts, {{3, 0.65}}}, {5, 250 / kVolts, {{3, 0.65}}}},
         Pass, {}, 3, OrderVerdict::Pass, 0, 200 * 0.0034},
        {"class D per watt of the average power, over",
         LimitClass::D,
         {{5, 150 / kVolts, {{3, 0.75}}}, {5, 250 / kVolts, {{3, 0.75}}}},
         Fail, {3}, 3, OrderVerdict::Fail, 105, 200 * 0.0034},
        {"class C in % of the fundamental", LimitClass::C,
         {{10, 1000 / kVolts, {{5, 0.11 * 1000 / kVolts}}}}, Fail, {5}, 5, OrderVerdict::Fail,
         105, 10},
    };
    for (const EvaluationCase& c : cases) {
        SCOPED_TRACE(c.name);
        ComplianceEvaluation e(c.limitClass);
        SubgroupSmoother s;
        feed(e, s, c.segments);
        const ComplianceResult r = e.result();
        EXPECT_EQ(r.verdict, c.verdict);
        EXPECT_EQ(r.failingOrders, c.failing);
        const OrderCompliance& o = r.orders[c.order];
        EXPECT_EQ(o.verdict, c.orderVerdict);
        EXPECT_GE(o.maxPctOfLimit, c.maxPctAtLeast);
        if (c.limit != 0) {
            EXPECT_NEAR(o.limit, c.limit, 1e-12);
        }
        EXPECT_EQ(r.orders[1].verdict, OrderVerdict::NoLimit);
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
    EXPECT_NEAR(r.orders[5].averagePctOfLimit, 80, 1e-9);
    EXPECT_NEAR(r.averagePower, kVolts * 10, 1e-9);
}

TEST(ComplianceEvaluation, NothingToEvaluateAndRefusedWindows) {
    EXPECT_EQ(ComplianceEvaluation(LimitClass::A).result().verdict,
              ComplianceVerdict::NotEvaluated);
    ComplianceEvaluation none(LimitClass::None);
    ASSERT_TRUE(none.add(window({1, 10, {pctA(3, 500)}})));
    EXPECT_EQ(none.result().verdict, ComplianceVerdict::NotEvaluated);
    EXPECT_TRUE(none.result().failingOrders.empty());

    ComplianceEvaluation e(LimitClass::A);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    HarmonicWindow bad[4] = {window({1, 10, {}}), window({1, 10, {}}), window({1, 10, {}}),
                             window({1, 10, {}})};
    bad[0].duration = 0;
    bad[1].duration = nan;
    bad[2].irms = nan;
    bad[3].currentSubgroups[7] = std::numeric_limits<double>::infinity();
    for (const HarmonicWindow& w : bad) {
        EXPECT_FALSE(e.add(w));
    }
    EXPECT_EQ(e.windows(), 0u);
    EXPECT_EQ(e.result().verdict, ComplianceVerdict::NotEvaluated);
}

// Two 85-period captures with the third at 110 % of the class A limit and the fifth at 50 %,
// through the whole chain.
TEST(ComplianceEvaluation, CapturesThroughWindowsAndSmoothing) {
    const double i3 = pctA(3, 110).amps * std::sqrt(2.0);
    const double i5 = pctA(5, 50).amps * std::sqrt(2.0);
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
    EXPECT_EQ(r.orders[5].verdict, OrderVerdict::Pass);
    EXPECT_NEAR(r.orders[5].maxPctOfLimit, 50, 0.1);
    EXPECT_EQ(r.orders[7].verdict, OrderVerdict::Disregarded);
    EXPECT_NEAR(r.averagePower, 325 * 14 / 2.0, 1e-6);
}

}  // namespace
}  // namespace voltaris
