#include "analysis/Measurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/FirFilter.h"
#include "support/SyntheticCapture.h"

namespace voltaris {
namespace {

using test::makeCapture;
using test::sine;
using test::operator+;

const double kRoot2 = std::sqrt(2.0);

struct Analysis {
    std::unique_ptr<MeasurementSet> m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;

    bool run(const RawCapture& raw, CaptureFilter filter = CaptureFilter::None) {
        AnalysisOptions o;
        o.filter = filter;
        return DoCalculations(raw, o, *m, stats);
    }
};

TEST(DoCalculations, PowerTriangleOfSineCaptures) {
    Analysis a;
    ASSERT_TRUE(a.run(makeCapture(12, sine(230 * kRoot2), sine(10 * kRoot2)).raw));
    EXPECT_EQ(a.m->PeriodsAnalysed, 10u);
    EXPECT_NEAR(a.m->Vrms, 230.0, 0.01);
    EXPECT_NEAR(a.m->Vcrest, kRoot2, 1e-3);
    EXPECT_NEAR(a.m->PF, 1.0, 1e-6);
    EXPECT_LT(a.m->Q, 1e-3 * a.m->S);
    EXPECT_NEAR(a.m->Pcrest, 2.0, 1e-3);  // sin^2 peaks at twice its mean
    EXPECT_DOUBLE_EQ(a.m->F, 50.0);

    ASSERT_TRUE(a.run(makeCapture(7, sine(230 * kRoot2), sine(5 * kRoot2, -60)).raw));
    EXPECT_NEAR(a.m->PF, 0.5, 1e-4);
    EXPECT_NEAR(a.m->Q, a.m->S * std::sin(std::numbers::pi / 3), 1e-4 * a.m->S);
    EXPECT_NEAR(a.m->PeriodPF[4], 0.5, 1e-4);
    // Referenced phases are differences of raw phases: 60 may read as -300.
    EXPECT_NEAR(std::remainder(a.m->PhaseI[1], 360.0), 60.0, 0.01);
}

TEST(DoCalculations, QIsZeroWhenRoundingMakesPowerExceedApparentPower) {
    // Identical voltage and current: S and P differ only by rounding, either way.
    int negativeCases = 0;
    Analysis a;
    for (int amplitude = 100; amplitude < 400; ++amplitude) {
        ASSERT_TRUE(a.run(makeCapture(3, sine(amplitude), sine(amplitude), 1, 1).raw));
        if (a.m->S * a.m->S - a.m->Prms * a.m->Prms < 0) {
            ++negativeCases;
            ASSERT_EQ(a.m->Q, 0.0) << amplitude;
        }
    }
    EXPECT_GT(negativeCases, 0) << "the negative difference was not exercised";
}

TEST(DoCalculations, ZeroChannelsGiveZeroRatiosAndNoNan) {
    // Current only in the first two raw periods, then none; voltage all zero in a second run.
    const auto inrush = makeCapture(6, sine(325), [](std::size_t k) {
        return k < 512 ? 20 * std::sin(2 * std::numbers::pi * static_cast<double>(k) / 256) : 0;
    });
    Analysis a;
    ASSERT_TRUE(a.run(inrush.raw, CaptureFilter::LowPass2k));
    EXPECT_GT(a.m->PeriodPF[0], 0.9);
    EXPECT_EQ(a.m->PeriodIrms[3], 0.0);
    EXPECT_EQ(a.m->PeriodPF[3], 0.0);

    const auto zero = makeCapture(4, sine(0), sine(0));
    ASSERT_TRUE(a.run(zero.raw, CaptureFilter::LowPass1k));
    const MeasurementSet& m = *a.m;
    for (double x : {m.Vrms, m.Irms, m.S, m.Q, m.PF, m.Vcrest, m.Icrest, m.Pcrest, m.THDV, m.THDI,
                     m.HarmIPctH1[1], m.HarmVPctRms[0], m.PhaseI[1], m.PeriodPF[0]}) {
        EXPECT_EQ(x, 0.0);
    }
    EXPECT_EQ(a.stats.record(kStatPF).count, 2u);
    EXPECT_FALSE(std::isnan(a.stats.record(kStatPF).sdev));
}

TEST(DoCalculations, FrequencyFromPeriodTicksAndGeneration) {
    EXPECT_DOUBLE_EQ(mainsFrequency(20000, 1), 50.0);
    EXPECT_DOUBLE_EQ(mainsFrequency(27648, 2), 50.0);
    EXPECT_EQ(mainsFrequency(0, 2), 0.0);
}

TEST(DoCalculations, RefusedCaptureKeepsThePreviousValues) {
    Analysis a;
    const auto good = makeCapture(5, sine(100), sine(2));
    ASSERT_TRUE(a.run(good.raw));
    const double vrms = a.m->Vrms;
    const auto other = makeCapture(93, sine(300), sine(9));

    std::vector<RawCapture> refused;
    for (std::uint32_t blocks : {0u, 2u, 93u}) {
        refused.push_back(other.raw);
        refused.back().blockCount = blocks;
    }
    refused.push_back(other.raw);
    refused.back().current = other.raw.current.first(5 * 256);  // shorter than the blocks
    refused.push_back(other.raw);
    refused.back().gainV = std::nanf("");
    for (const RawCapture& raw : refused) {
        EXPECT_FALSE(a.run(raw));
        EXPECT_FALSE(scaleCapture(raw, *a.m));
    }
    AnalysisOptions unknownFilter;
    unknownFilter.filter = static_cast<CaptureFilter>(3);
    EXPECT_FALSE(DoCalculations(good.raw, unknownFilter, *a.m, a.stats));
    EXPECT_FALSE(captureFilterFromIndex(3).has_value());

    EXPECT_EQ(a.m->Vrms, vrms);
    EXPECT_EQ(a.m->PeriodsAnalysed, 3u);
    EXPECT_EQ(a.m->VoltageRaw[0], good.voltage[0] * double{good.raw.gainV});
    EXPECT_EQ(a.stats.record(kStatVrms).count, 1u);

    // The largest capture fills all 90 per-period entries.
    ASSERT_TRUE(a.run(makeCapture(92, sine(300), sine(9)).raw));
    EXPECT_NEAR(a.m->PeriodVrms[89], 300 / kRoot2, 0.01);
}

TEST(Alignment, ShiftFormula) {
    EXPECT_EQ(alignmentShift(-90.0), 64u);
    EXPECT_EQ(alignmentShift(0.0), 256u);
    EXPECT_EQ(alignmentShift(359.9), 1u);
    EXPECT_EQ(alignmentShift(-1e-14), 256u);  // 360 - 1e-14 rounds to a whole turn
    EXPECT_EQ(alignmentShift(std::nan("")), 256u);
}

TEST(Alignment, EveryCaptureStartsAtTheRisingZeroCrossingOfTheVoltage) {
    Analysis a;
    for (int phase = 0; phase < 360; phase += 7) {
        for (auto filter : {CaptureFilter::None, CaptureFilter::LowPass2k}) {
            ASSERT_TRUE(a.run(makeCapture(4, sine(325, phase), sine(10, phase - 30)).raw, filter));
            // Fit A sin(wk + p) to the first aligned period; p in samples must be in [0, 1].
            double s = 0, c = 0;
            for (std::size_t k = 0; k < 256; ++k) {
                const double w = 2 * std::numbers::pi * static_cast<double>(k) / 256;
                s += a.m->Voltage[k] * std::sin(w);
                c += a.m->Voltage[k] * std::cos(w);
            }
            const double samplesLate = std::atan2(c, s) * 256 / (2 * std::numbers::pi);
            EXPECT_GE(samplesLate, -0.01) << "phase " << phase;
            EXPECT_LE(samplesLate, 1.01) << "phase " << phase;
            EXPECT_NEAR(std::remainder(a.m->PhaseI[1], 360.0), 30.0, 0.05) << "phase " << phase;
        }
    }
}

TEST(Alignment, AllThreeSeriesMoveByTheSameWholeSamples) {
    Analysis a;
    const auto c = makeCapture(5, sine(325, 100), sine(10, 55) + sine(3, 0, 3));
    ASSERT_TRUE(a.run(c.raw));
    // sin(wk + 100 deg) next rises through zero 260 degrees on: 184.9 samples, so 185.
    for (std::size_t k = 0; k < 3 * 256; ++k) {
        ASSERT_EQ(a.m->Voltage[k], a.m->VoltageRaw[k + 185]) << k;
        ASSERT_EQ(a.m->Current[k], a.m->CurrentRaw[k + 185]) << k;
        ASSERT_EQ(a.m->Power[k], a.m->Voltage[k] * a.m->Current[k]) << k;
    }
}

TEST(Filters, ImpulseResponseIsTheCoefficientsUncentredWithAZeroTail) {
    for (const FirCoefficients* h : {&lowPass1kCoefficients(), &lowPass2kCoefficients()}) {
        std::array<double, 100> in{}, out{};
        out.fill(-1);
        in[50] = 1.0;
        applyFir(*h, in, out);
        // Output k sees input k + j through h[j]: the impulse at 50 shows at k = 50 - j.
        for (std::size_t j = 0; j < kFirTaps; ++j) {
            EXPECT_EQ(out[50 - j], (*h)[j]) << j;
        }
        EXPECT_EQ(out[51], 0.0);
        EXPECT_EQ(out[18], 0.0);
        for (std::size_t k = 68; k < 100; ++k) {
            EXPECT_EQ(out[k], 0.0) << k;
        }
    }
}

TEST(Filters, FiftyHertzPassesWithTheCoefficientSum) {
    const auto c = makeCapture(10, sine(325, 17), sine(12, -40) + sine(3, 0, 40));
    Analysis none, lp1, lp2;
    ASSERT_TRUE(none.run(c.raw, CaptureFilter::None));
    ASSERT_TRUE(lp1.run(c.raw, CaptureFilter::LowPass1k));
    ASSERT_TRUE(lp2.run(c.raw, CaptureFilter::LowPass2k));
    EXPECT_NEAR(lp1.m->Vrms / none.m->Vrms, 1.00088, 5e-5);
    EXPECT_NEAR(lp2.m->Vrms / none.m->Vrms, 0.999654, 5e-5);
    EXPECT_NEAR(lp1.m->HarmI[1] / none.m->HarmI[1], 1.00088, 5e-5);
    EXPECT_NEAR(none.m->HarmIPctH1[40], 25.0, 0.05);
    EXPECT_LT(lp1.m->HarmIPctH1[40], 2.5);  // 2 kHz is well beyond the 1 kHz filter
    // The zeroed last 32 filter outputs never reach the analysed periods.
    EXPECT_NEAR(lp2.m->PeriodVrms[7], lp2.m->PeriodVrms[0], 1e-3);
}

TEST(DoCalculations, StatisticsTakeEachQuantityAtItsGridPosition) {
    Analysis a;
    const auto c = makeCapture(5, sine(325) + sine(20, 0, 3), sine(8, -25));
    ASSERT_TRUE(a.run(c.raw));
    ASSERT_TRUE(a.run(c.raw));
    const MeasurementSet& m = *a.m;
    const std::pair<StatCell, double> expected[] = {
        {kStatVrms, m.Vrms},     {kStatIrms, m.Irms},     {kStatPrms, m.Prms},     {kStatS, m.S},
        {kStatVpeak, m.Vpeak},   {kStatIpeak, m.Ipeak},   {kStatPpeak, m.Ppeak},   {kStatQ, m.Q},
        {kStatVcrest, m.Vcrest}, {kStatIcrest, m.Icrest}, {kStatPcrest, m.Pcrest}, {kStatPF, m.PF},
        {kStatTHDV, m.THDV},     {kStatTHDI, m.THDI},     {kStatF, m.F},
    };
    for (const auto& [cell, value] : expected) {
        EXPECT_EQ(a.stats.record(cell).count, 2u) << cell.group << "," << cell.index;
        EXPECT_EQ(a.stats.record(cell).avg, value) << cell.group << "," << cell.index;
    }
}

}  // namespace
}  // namespace voltaris
