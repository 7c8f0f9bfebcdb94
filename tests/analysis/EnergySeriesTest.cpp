#include "analysis/EnergySeries.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/SyntheticCapture.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
constexpr std::size_t kLast = kEnergyPoints - 1;
// A steady-clock reading with a sub-second part, as a real reset has.
const SteadyTime kReset = SteadyTime{} + 12345s + 900ms;

TEST(EnergySeries, TrapezoidFromTheResetInstant) {
    auto m = std::make_unique<MeasurementSet>();
    energyReset(*m, kReset);
    // 0.3 s after a reset at x.900 s: not 1.3 s from dropping the reset's milliseconds.
    addEnergyPoint(*m, 720, kReset + 300ms);
    EXPECT_NEAR(m->EnergyTime[kLast], 0.3, 1e-12);
    addEnergyPoint(*m, 1080, kReset + 2300ms);
    EXPECT_NEAR(m->EnergyTime[kLast - 1], 0.3, 1e-12);
    EXPECT_EQ(m->EnergyPower[kLast - 1], 720.0);
    // (0 + 720) / 2 W x 0.3 s + (720 + 1080) / 2 W x 2 s = 1908 J.
    EXPECT_NEAR(m->EnergyWh[kLast], 1908.0 / 3600, 1e-12);

    energyReset(*m, kReset + 5s);
    EXPECT_EQ(m->EnergyWh[kLast], 0.0);
    EXPECT_EQ(m->EnergyTime[kLast - 1], 0.0);
}

TEST(EnergySeries, KeepsTheNewestFiveHundredPoints) {
    auto m = std::make_unique<MeasurementSet>();
    energyReset(*m, kReset);
    for (int i = 1; i <= 501; ++i) {
        addEnergyPoint(*m, i, kReset + std::chrono::seconds(i));
    }
    EXPECT_EQ(m->EnergyTime[0], 2.0);
    EXPECT_EQ(m->EnergyPower[0], 2.0);
    // Power ramps 1 W/s from 0 at the reset: t^2 / 2 J.
    EXPECT_NEAR(m->EnergyWh[kLast], 501.0 * 501.0 / 2 / 3600, 1e-9);
}

TEST(EnergySeries, OnlyContinuousAcquisitionAddsAPoint) {
    const auto c = test::makeCapture(4, test::sine(325), test::sine(10));
    for (int status = 0; status <= 6; ++status) {
        auto m = std::make_unique<MeasurementSet>();
        StatisticsGrid stats;
        energyReset(*m, kReset);
        AnalysisOptions options;
        options.status = static_cast<AcquisitionStatus>(status);
        options.now = kReset + 1s;
        ASSERT_TRUE(DoCalculations(c.raw, options, *m, stats));
        if (status == 1 || status == 2) {
            EXPECT_EQ(m->EnergyTime[kLast], 1.0);
            EXPECT_NEAR(m->EnergyWh[kLast], m->Prms / 2 / 3600, 1e-12);
        } else {
            EXPECT_EQ(m->EnergyTime[kLast], 0.0) << status;
            EXPECT_EQ(m->EnergyWh[kLast], 0.0) << status;
        }
    }
}

}  // namespace
}  // namespace voltaris
