// Time of DoCalculations on the largest capture the control panel allows (85 periods, 87
// blocks) with the default 2 kHz filter, and of its FIR and FFT parts; and of the windowed
// IEC 61000-4-7 analysis of the same capture (8 windows of 10 periods, smoothing, evaluation).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/ComplianceEvaluation.h"
#include "analysis/Fft.h"
#include "analysis/FirFilter.h"
#include "analysis/Measurements.h"
#include "analysis/SubgroupSmoother.h"
#include "analysis/WindowedHarmonics.h"

namespace {

using namespace voltaris;

constexpr std::uint32_t kBlocks = 87;

// A distorted 230 V supply and a rectifier-like current with odd harmonics, in raw units.
struct Capture {
    std::vector<std::int16_t> voltage, current;
    Capture() {
        for (std::size_t k = 0; k < kBlocks * kSamplesPerPeriod; ++k) {
            const double wt = 2 * std::numbers::pi * static_cast<double>(k) / 256;
            const double v = 325 * std::sin(wt) + 10 * std::sin(3 * wt + 0.3);
            const double i = 2.0 * std::sin(wt - 0.2) + 1.2 * std::sin(3 * wt) +
                             0.6 * std::sin(5 * wt) + 0.3 * std::sin(7 * wt);
            voltage.push_back(static_cast<std::int16_t>(std::lround(v / 0.0222550128)));
            current.push_back(static_cast<std::int16_t>(std::lround(i / 9.5138399e-05)));
        }
    }
    RawCapture raw() const {
        return {voltage, current, kBlocks, 0.0222550128f, 9.5138399e-05f, 20000, 1};
    }
};

void BM_DoCalculations(benchmark::State& state) {
    const Capture capture;
    const RawCapture raw = capture.raw();
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;
    AnalysisOptions options;
    options.filter = CaptureFilter::LowPass2k;
    options.status = AcquisitionStatus::Running;
    for (auto _ : state) {
        const bool ok = DoCalculations(raw, options, *m, stats);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(m->Vrms);
    }
    state.SetItemsProcessed(state.iterations() * kBlocks * kSamplesPerPeriod);
}
BENCHMARK(BM_DoCalculations)->Unit(benchmark::kMicrosecond);

// From the scaled capture (what scaleCapture leaves in the set) to the evaluation: the windows'
// spectra and subgroups, their smoothing and their addition to a class A observation.
void BM_WindowedHarmonics(benchmark::State& state) {
    const Capture capture;
    auto m = std::make_unique<MeasurementSet>();
    if (!scaleCapture(capture.raw(), *m)) {
        state.SkipWithError("capture not scaled");
        return;
    }
    SubgroupSmoother smoother;
    ComplianceEvaluation evaluation(LimitClass::A);
    for (auto _ : state) {
        for (const HarmonicWindow& w : windowedHarmonics(*m)) {
            benchmark::DoNotOptimize(evaluation.add(smoother.smooth(w)));
        }
    }
    benchmark::DoNotOptimize(evaluation.result().verdict);
    state.SetItemsProcessed(state.iterations() * kBlocks * kSamplesPerPeriod);
}
BENCHMARK(BM_WindowedHarmonics)->Unit(benchmark::kMicrosecond);

void BM_Fir2kOneChannel(benchmark::State& state) {
    std::vector<double> in(kBlocks * kSamplesPerPeriod), out(in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        in[k] = 325 * std::sin(2 * std::numbers::pi * static_cast<double>(k) / 256);
    }
    for (auto _ : state) {
        applyFir(lowPass2kCoefficients(), in, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Fir2kOneChannel)->Unit(benchmark::kMicrosecond);

void BM_Fft256(benchmark::State& state) {
    std::vector<double> in(256), re(256), im(256);
    for (std::size_t k = 0; k < in.size(); ++k) {
        in[k] = std::sin(2 * std::numbers::pi * static_cast<double>(k) / 256);
    }
    for (auto _ : state) {
        const bool ok = fft(false, in, {}, re, im);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_Fft256)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
