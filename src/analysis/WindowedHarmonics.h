// Harmonic subgroups of consecutive 10-period (50 Hz) or 12-period (60 Hz) windows of a capture,
// the grouping IEC 61000-4-7 uses for the emission tests of IEC 61000-3-2.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/MeasurementSet.h"

namespace voltaris {

inline constexpr std::uint32_t kWindowPeriods50Hz = 10;  // 2560 samples, 200 ms
inline constexpr std::uint32_t kWindowPeriods60Hz = 12;  // 3072 samples, 200 ms

// One window. Subgroups are indexed by order (1 to 40; index 0 is unused and 0): the root of the
// sum of squares of the RMS values of the harmonic's bin and its two neighbours (5 Hz bins).
struct HarmonicWindow {
    HarmonicArray currentSubgroups{};  // A RMS; [1] is the fundamental
    HarmonicArray voltageSubgroups{};  // V RMS
    double irms = 0;                   // A, over the window's samples
    double vrms = 0;                   // V
    double activePower = 0;            // W, mean of v x i
    double powerFactor = 0;            // activePower / (vrms x irms), 0 when either is 0
    double frequency = 0;              // Hz, measured frequency of the capture
    double nominalFrequency = 0;       // 50 or 60, the nearest to the measured one
    std::uint32_t periods = 0;         // 10 or 12
    double duration = 0;               // s, periods / frequency
};

// Mains periods of a window for a measured frequency: 10 when it is nearer 50 Hz than 60 Hz
// (below 55 Hz), else 12; 0 for a frequency that is not finite or not above zero.
[[nodiscard]] std::uint32_t windowPeriods(double frequency);

// Cuts the scaled, unfiltered samples (256 per mains period, voltage and current of the same
// length) into consecutive windows from the first sample and analyses each one; leftover periods
// after the last whole window are not used. Empty when the capture is shorter than one window,
// the two channels differ in length or the frequency is not usable (see windowPeriods).
// Thread-safe.
[[nodiscard]] std::vector<HarmonicWindow> windowedHarmonics(std::span<const double> voltage,
                                                            std::span<const double> current,
                                                            double frequency);

// The same on the analysed part of a scaled capture: PeriodsAnalysed x 256 samples of VoltageRaw
// and CurrentRaw, at F.
[[nodiscard]] std::vector<HarmonicWindow> windowedHarmonics(const MeasurementSet& m);

}  // namespace voltaris
