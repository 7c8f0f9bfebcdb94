// Harmonic extraction from the FFT of one period, phase referencing and distortion figures.
#include "analysis/Harmonics.h"

#include <cmath>

#include "analysis/Fft.h"
#include "analysis/Ratio.h"

namespace voltaris {

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kTwoOverN = 0.0078125;  // 2 / 256: peak amplitude of a bin
constexpr double kNoiseFloor = 1e-12;    // relative to the rebuilt RMS
}  // namespace

void analysePeriod(std::span<const double, kSamplesPerPeriod> period, HarmonicArray& magnitude,
                   HarmonicArray& phase) {
    std::array<double, kSamplesPerPeriod> re{};
    std::array<double, kSamplesPerPeriod> im{};
    // 256 is a power of two: the transform cannot refuse it.
    [[maybe_unused]] const bool ok = fft(false, period, {}, re, im);
    const double sqrt2 = std::sqrt(2.0);
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        magnitude[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]) * kTwoOverN / sqrt2;
        phase[k] = std::atan2(re[k], im[k]) * kDegreesPerRadian;
    }
}

void referencePhases(HarmonicArray& phaseV, HarmonicArray& phaseI) {
    const double reference = phaseV[1];
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        phaseV[k] -= reference;
        phaseI[k] -= reference;
    }
}

DistortionViews distortionViews(const HarmonicArray& magnitude) {
    DistortionViews views;
    double harmonicsSquared = 0;
    for (std::size_t k = 2; k < kHarmonicCount; ++k) {
        harmonicsSquared += magnitude[k] * magnitude[k];
    }
    const double fundamental = magnitude[1];
    const double rebuiltRms =
        std::sqrt(fundamental * fundamental + harmonicsSquared + magnitude[0] * magnitude[0]);

    // A fundamental at the level of the transform's rounding noise is absent: ratios to it
    // would be noise amplified by 1e15 or more.
    const bool hasFundamental = fundamental > kNoiseFloor * rebuiltRms;
    views.thd = hasFundamental ? safeRatio(std::sqrt(harmonicsSquared) * 100, fundamental) : 0;
    for (std::size_t k = 0; k < kHarmonicCount; ++k) {
        views.pctRms[k] = safeRatio(magnitude[k] * 100, rebuiltRms);
        views.pctH1[k] = hasFundamental ? safeRatio(magnitude[k] * 100, fundamental) : 0;
    }
    return views;
}

}  // namespace voltaris
