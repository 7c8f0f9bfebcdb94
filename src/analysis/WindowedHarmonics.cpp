// Windowed subgroup analysis with FFTW real-to-complex transforms of 2560 or 3072 samples.
#include "analysis/WindowedHarmonics.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "analysis/Ratio.h"

namespace voltaris {

namespace {

constexpr double kFrequencyBetween50And60 = 55.0;

// The FFTW planner is not thread-safe, executing a plan is: plans are made once per size under
// this mutex and then executed with the new-array functions on each caller's own buffers. The
// buffers come from fftw_malloc, like the ones the plans were made with, so their alignment is
// the one the plans expect. Plans live until the program ends.
fftw_plan planFor(std::uint32_t windowPeriods) {
    static std::mutex planMutex;
    static fftw_plan plan50 = nullptr;
    static fftw_plan plan60 = nullptr;
    const std::lock_guard lock(planMutex);
    fftw_plan& plan = windowPeriods == kWindowPeriods50Hz ? plan50 : plan60;
    if (plan == nullptr) {
        const int n = static_cast<int>(windowPeriods * kSamplesPerPeriod);
        double* in = fftw_alloc_real(n);
        fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
        plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
        fftw_free(in);
        fftw_free(out);
    }
    return plan;
}

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// Subgroups of orders 1..40 of one channel's window: bin n x periods is order n.
void subgroups(fftw_plan plan, double* in, fftw_complex* out, std::size_t n, std::uint32_t periods,
               HarmonicArray& result) {
    fftw_execute_dft_r2c(plan, in, out);
    // An unscaled bin k (0 < k < n/2) of a sine of peak A has magnitude A n / 2: its RMS is
    // |X| sqrt(2) / n, and its square 2 |X|^2 / n^2.
    const double scale = 2.0 / (static_cast<double>(n) * static_cast<double>(n));
    result[0] = 0;
    for (std::size_t order = 1; order < kHarmonicCount; ++order) {
        const std::size_t centre = order * periods;
        double sum = 0;
        for (std::size_t k = centre - 1; k <= centre + 1; ++k) {
            sum += out[k][0] * out[k][0] + out[k][1] * out[k][1];
        }
        result[order] = std::sqrt(sum * scale);
    }
}

}  // namespace

std::uint32_t windowPeriods(double frequency) {
    if (!std::isfinite(frequency) || frequency <= 0) {
        return 0;
    }
    return frequency < kFrequencyBetween50And60 ? kWindowPeriods50Hz : kWindowPeriods60Hz;
}

std::vector<HarmonicWindow> windowedHarmonics(std::span<const double> voltage,
                                              std::span<const double> current, double frequency) {
    std::vector<HarmonicWindow> windows;
    const std::uint32_t periods = windowPeriods(frequency);
    if (periods == 0 || voltage.size() != current.size()) {
        return windows;
    }
    const std::size_t n = periods * kSamplesPerPeriod;
    const std::size_t count = voltage.size() / n;
    if (count == 0) {
        return windows;
    }
    const fftw_plan plan = planFor(periods);
    const std::unique_ptr<double, FftwFree> in(fftw_alloc_real(n));
    const std::unique_ptr<fftw_complex, FftwFree> out(fftw_alloc_complex(n / 2 + 1));

    windows.resize(count);
    for (std::size_t w = 0; w < count; ++w) {
        HarmonicWindow& window = windows[w];
        const auto v = voltage.subspan(w * n, n);
        const auto i = current.subspan(w * n, n);
        double vv = 0, ii = 0, vi = 0;
        for (std::size_t k = 0; k < n; ++k) {
            vv += v[k] * v[k];
            ii += i[k] * i[k];
            vi += v[k] * i[k];
        }
        window.vrms = std::sqrt(vv / static_cast<double>(n));
        window.irms = std::sqrt(ii / static_cast<double>(n));
        window.activePower = vi / static_cast<double>(n);
        window.powerFactor = safeRatio(window.activePower, window.vrms * window.irms);
        window.frequency = frequency;
        window.nominalFrequency = periods == kWindowPeriods50Hz ? 50.0 : 60.0;
        window.periods = periods;
        window.duration = periods / frequency;

        std::copy(i.begin(), i.end(), in.get());
        subgroups(plan, in.get(), out.get(), n, periods, window.currentSubgroups);
        std::copy(v.begin(), v.end(), in.get());
        subgroups(plan, in.get(), out.get(), n, periods, window.voltageSubgroups);
    }
    return windows;
}

std::vector<HarmonicWindow> windowedHarmonics(const MeasurementSet& m) {
    const std::size_t samples =
        std::min<std::size_t>(std::size_t{m.PeriodsAnalysed} * kSamplesPerPeriod, kSampleCapacity);
    return windowedHarmonics(std::span(m.VoltageRaw).first(samples),
                             std::span(m.CurrentRaw).first(samples), m.F);
}

}  // namespace voltaris
