#include "analysis/WindowedHarmonics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <thread>

namespace voltaris {
namespace {

// Samples of peak x sin(ratio x wt + phase) summed, 256 per mains period: ratio is the frequency
// over the mains frequency, so 3.5 at 50 Hz is 175 Hz.
struct Tone {
    double peak, ratio, phaseDegrees = 0;
};
std::vector<double> samples(std::uint32_t periods, std::initializer_list<Tone> tones) {
    std::vector<double> s(std::size_t{periods} * kSamplesPerPeriod);
    for (std::size_t k = 0; k < s.size(); ++k) {
        for (const Tone& t : tones) {
            s[k] +=
                t.peak * std::sin(2 * std::numbers::pi * t.ratio * static_cast<double>(k) / 256 +
                                  t.phaseDegrees * std::numbers::pi / 180);
        }
    }
    return s;
}

const double kRms = 1 / std::sqrt(2.0);  // of a unit-peak sine

TEST(WindowedHarmonics, SubgroupsOfSyntheticCurrents) {
    struct Case {
        const char* name;
        double frequency;
        std::uint32_t periods;
        std::vector<double> current;
        std::size_t windows;
        std::uint32_t windowPeriods;
        int order;
        double subgroup;  // A RMS, within 0.1 %, or 1e-9 A when 0
    };
    // clang-format off
    const Case cases[] = {
        {"third harmonic of 10 %", 50, 85, samples(85, {{10, 1}, {1, 3, 40}}), 8, 10, 3, kRms},
        {"fundamental", 50, 85, samples(85, {{10, 1}, {1, 3, 40}}), 8, 10, 1, 10 * kRms},
        {"175 Hz not in order 3", 50, 20, samples(20, {{10, 1}, {1, 3}, {2, 3.5}}), 2, 10, 3, kRms},
        {"175 Hz not in order 4", 50, 20, samples(20, {{10, 1}, {2, 3.5}}), 2, 10, 4, 0},
        {"155 Hz adds to order 3", 50, 20, samples(20, {{10, 1}, {1, 3}, {0.5, 3.1}}), 2, 10, 3,
         std::sqrt(1.25) * kRms},
        {"60 Hz: 12 periods", 60, 30, samples(30, {{10, 1}, {1, 5}}), 2, 12, 5, kRms},
        {"59.9 Hz is 60 Hz", 59.9, 24, samples(24, {{10, 1}}), 2, 12, 1, 10 * kRms},
        {"54.9 Hz is 50 Hz", 54.9, 10, samples(10, {{10, 1}}), 1, 10, 1, 10 * kRms},
        {"shorter than a window", 60, 11, samples(11, {{10, 1}}), 0, 0, 1, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto windows =
            windowedHarmonics(samples(c.periods, {{325, 1}}), c.current, c.frequency);
        ASSERT_EQ(windows.size(), c.windows);
        for (const HarmonicWindow& w : windows) {
            EXPECT_EQ(w.periods, c.windowPeriods);
            EXPECT_DOUBLE_EQ(w.duration, c.windowPeriods / c.frequency);
            EXPECT_NEAR(w.currentSubgroups[c.order], c.subgroup,
                        c.subgroup == 0 ? 1e-9 : 1e-3 * c.subgroup);
            EXPECT_NEAR(w.voltageSubgroups[1], 325 * kRms, 1e-9);
        }
    }
}

// 325 V and 10 A peak lagging 60 degrees: P = 325 x 10 / 2 x cos 60, PF 0.5.
TEST(WindowedHarmonics, PowerOfEachWindowAndUnusableInput) {
    const auto v = samples(20, {{325, 1}});
    const auto windows = windowedHarmonics(v, samples(20, {{10, 1, -60}}), 50.0);
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_NEAR(windows[1].activePower, 325 * 10 / 2.0 * 0.5, 1e-9);
    EXPECT_NEAR(windows[1].powerFactor, 0.5, 1e-12);
    EXPECT_NEAR(windows[1].irms, 10 * kRms, 1e-9);
    EXPECT_EQ(windowedHarmonics(v, std::vector<double>(v.size()), 50.0)[0].powerFactor, 0.0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double f : {0.0, -50.0, nan, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(windowPeriods(f), 0u) << f;
        EXPECT_TRUE(windowedHarmonics(v, v, f).empty()) << f;
    }
    EXPECT_TRUE(windowedHarmonics(v, std::span(v).first(v.size() - 1), 50.0).empty());
}

TEST(WindowedHarmonics, AnalysedPartOfAMeasurementSetWithoutItsLeftover) {
    auto m = std::make_unique<MeasurementSet>();
    m->PeriodsAnalysed = 85;
    m->F = 50;
    const auto v = samples(85, {{325, 1}});
    const auto i = samples(80, {{10, 1}});
    std::copy(v.begin(), v.end(), m->VoltageRaw.begin());
    std::copy(i.begin(), i.end(), m->CurrentRaw.begin());
    std::fill_n(m->CurrentRaw.begin() + 80 * 256, 6 * 256, 1000.0);  // left over, then beyond
    const auto windows = windowedHarmonics(*m);
    ASSERT_EQ(windows.size(), 8u);
    EXPECT_NEAR(windows.back().irms, 10 * kRms, 1e-9);
    m->PeriodsAnalysed = 1000;  // more than the arrays hold: cut to their size
    EXPECT_EQ(windowedHarmonics(*m).size(), 10u);
}

TEST(WindowedHarmonics, ConcurrentCallersGetTheSameWindows) {
    const auto v = samples(36, {{325, 1}});
    const auto i = samples(36, {{10, 1}, {2, 7}});
    std::vector<std::vector<HarmonicWindow>> results(4);
    std::vector<std::thread> threads;
    for (auto& r : results) {
        threads.emplace_back([&] { r = windowedHarmonics(v, i, 60.0); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const auto& r : results) {
        ASSERT_EQ(r.size(), 3u);
        EXPECT_NEAR(r[2].currentSubgroups[7], 2 * kRms, 1e-9);
    }
}

}  // namespace
}  // namespace voltaris
