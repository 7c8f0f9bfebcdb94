#include "analysis/WindowedHarmonics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <thread>

#include "support/SyntheticCapture.h"

namespace voltaris {
namespace {

using test::Waveform;
using test::operator+;

// peak x sin(ratio x wt + phase): ratio is the frequency over the mains frequency, so 3.5 at
// 50 Hz is 175 Hz; sampling is synchronous, 256 samples per mains period.
Waveform tone(double peak, double ratio, double phaseDegrees = 0) {
    return [=](std::size_t k) {
        return peak * std::sin(2 * std::numbers::pi * ratio * static_cast<double>(k) / 256 +
                               phaseDegrees * std::numbers::pi / 180);
    };
}

std::vector<double> samples(std::uint32_t periods, const Waveform& w) {
    std::vector<double> s(std::size_t{periods} * kSamplesPerPeriod);
    for (std::size_t k = 0; k < s.size(); ++k) {
        s[k] = w(k);
    }
    return s;
}

const double kRms = 1 / std::sqrt(2.0);  // of a unit-peak sine

struct WindowCase {
    const char* name;
    double frequency;
    std::uint32_t periods;
    Waveform current;
    std::size_t windows;
    std::uint32_t windowPeriods;
    int order;
    double subgroup;    // A RMS expected for the order
    double tolerance;   // relative, or absolute when subgroup is 0
};

TEST(WindowedHarmonics, SubgroupsOfSyntheticCurrents) {
    const WindowCase cases[] = {
        {"third harmonic of 10 %", 50, 85, tone(10, 1) + tone(1, 3, 40), 8, 10, 3, kRms, 1e-3},
        {"fundamental", 50, 85, tone(10, 1) + tone(1, 3, 40), 8, 10, 1, 10 * kRms, 1e-3},
        {"175 Hz is not in order 3", 50, 20, tone(10, 1) + tone(1, 3) + tone(2, 3.5), 2, 10, 3,
         kRms, 1e-9},
        {"175 Hz is not in order 4", 50, 20, tone(10, 1) + tone(2, 3.5), 2, 10, 4, 0, 1e-9},
        {"155 Hz adds to order 3", 50, 20, tone(10, 1) + tone(1, 3) + tone(0.5, 3.1), 2, 10, 3,
         std::sqrt(1 + 0.25) * kRms, 1e-9},
        {"60 Hz uses 12 periods", 60, 30, tone(10, 1) + tone(1, 5), 2, 12, 5, kRms, 1e-9},
        {"59.9 Hz measured is 60 Hz", 59.9, 24, tone(10, 1), 2, 12, 1, 10 * kRms, 1e-9},
        {"54.9 Hz measured is 50 Hz", 54.9, 10, tone(10, 1), 1, 10, 1, 10 * kRms, 1e-9},
        {"shorter than a window", 60, 11, tone(10, 1), 0, 0, 1, 0, 0},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto v = samples(c.periods, tone(325, 1));
        const auto windows = windowedHarmonics(v, samples(c.periods, c.current), c.frequency);
        ASSERT_EQ(windows.size(), c.windows);
        for (const HarmonicWindow& w : windows) {
            EXPECT_EQ(w.periods, c.windowPeriods);
            EXPECT_DOUBLE_EQ(w.duration, c.windowPeriods / c.frequency);
            const double tolerance = c.subgroup == 0 ? c.tolerance : c.tolerance * c.subgroup;
            EXPECT_NEAR(w.currentSubgroups[c.order], c.subgroup, tolerance);
            EXPECT_NEAR(w.voltageSubgroups[1], 325 * kRms, 1e-9);
        }
    }
}

TEST(WindowedHarmonics, PowerAndRmsOfEachWindow) {
    // 325 V peak and 10 A peak lagging 60 degrees: P = 325 x 10 / 2 x cos 60, PF 0.5.
    const auto v = samples(20, tone(325, 1));
    const auto i = samples(20, tone(10, 1, -60));
    const auto windows = windowedHarmonics(v, i, 50.0);
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_NEAR(windows[1].activePower, 325 * 10 / 2.0 * 0.5, 1e-9);
    EXPECT_NEAR(windows[1].powerFactor, 0.5, 1e-12);
    EXPECT_NEAR(windows[1].vrms, 325 * kRms, 1e-9);
    EXPECT_NEAR(windows[1].irms, 10 * kRms, 1e-9);
    EXPECT_EQ(windows[1].nominalFrequency, 50.0);

    const auto silent = windowedHarmonics(v, std::vector<double>(v.size()), 50.0);
    ASSERT_EQ(silent.size(), 2u);
    EXPECT_EQ(silent[0].powerFactor, 0.0);
}

TEST(WindowedHarmonics, UnusableInputGivesNoWindow) {
    const auto v = samples(20, tone(325, 1));
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
    const auto v = samples(85, tone(325, 1));
    auto i = samples(85, tone(10, 1));
    for (std::size_t k = 80 * kSamplesPerPeriod; k < i.size(); ++k) {
        i[k] = 1000;  // periods 81 to 85 are left over
    }
    std::copy(v.begin(), v.end(), m->VoltageRaw.begin());
    std::copy(i.begin(), i.end(), m->CurrentRaw.begin());
    m->CurrentRaw[85 * kSamplesPerPeriod] = 1000;  // beyond the analysed periods
    const auto windows = windowedHarmonics(*m);
    ASSERT_EQ(windows.size(), 8u);
    EXPECT_NEAR(windows.back().irms, 10 * kRms, 1e-9);

    m->PeriodsAnalysed = 1000;  // more than the arrays hold: cut to their size
    EXPECT_EQ(windowedHarmonics(*m).size(), 10u);
}

TEST(WindowedHarmonics, ConcurrentCallersGetTheSameWindows) {
    const auto v = samples(36, tone(325, 1));
    const auto i = samples(36, tone(10, 1) + tone(2, 7));
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
        EXPECT_EQ(r[2].currentSubgroups, results[0][2].currentSubgroups);
        EXPECT_NEAR(r[2].currentSubgroups[7], 2 * kRms, 1e-9);
    }
}

}  // namespace
}  // namespace voltaris
