// Harmonic analysis of one mains period: RMS magnitudes and phases of orders 0 to 40, total
// harmonic distortion and the percentage views.
#pragma once

#include <span>

#include "analysis/MeasurementSet.h"

namespace voltaris {

// Magnitudes (RMS; order 0 holds sqrt(2) x |mean|) and raw phases in degrees,
// atan2(Re, Im) of the forward transform, of one 256-sample period.
void analysePeriod(std::span<const double, kSamplesPerPeriod> period, HarmonicArray& magnitude,
                   HarmonicArray& phase);

// Subtracts the voltage fundamental's raw phase from every phase of both channels.
void referencePhases(HarmonicArray& phaseV, HarmonicArray& phaseI);

// THD over orders 2..40 in % of the fundamental, and each order in % of the RMS rebuilt from
// orders 0..40 and in % of the fundamental. A zero divisor gives 0; so does a fundamental
// below 1e-12 of the rebuilt RMS (rounding noise of the transform, no real fundamental).
struct DistortionViews {
    double thd = 0;
    HarmonicArray pctRms{};
    HarmonicArray pctH1{};
};
[[nodiscard]] DistortionViews distortionViews(const HarmonicArray& magnitude);

}  // namespace voltaris
