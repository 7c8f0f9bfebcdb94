// Raw captures built from waveforms of the sample index (256 per period) for the analysis tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

#include "analysis/Measurements.h"

namespace voltaris::test {

using Waveform = std::function<double(std::size_t)>;

// peak x sin(order x wt + phase), phase in degrees.
inline Waveform sine(double peak, double phaseDegrees = 0, int order = 1) {
    return [=](std::size_t k) {
        const double w = 2 * std::numbers::pi * order / 256.0;
        return peak * std::sin(w * static_cast<double>(k) + phaseDegrees * std::numbers::pi / 180);
    };
}

inline Waveform operator+(Waveform a, Waveform b) {
    return [=](std::size_t k) { return a(k) + b(k); };
}

// The spans of raw point into the vectors, which keep their buffers when moved.
struct SyntheticCapture {
    std::vector<std::int16_t> voltage, current;
    RawCapture raw;
};

inline std::int16_t toRaw(double value, float gain) {
    const double counts = std::round(value / gain);
    if (counts < -32768 || counts > 32767) {
        ADD_FAILURE() << value << " is beyond the raw range at gain " << gain;
    }
    return static_cast<std::int16_t>(counts);
}

inline SyntheticCapture makeCapture(std::uint32_t blocks, const Waveform& volts,
                                    const Waveform& amps, float gainV = 0.0222550128f,
                                    float gainI = 0.001f) {
    SyntheticCapture c;
    for (std::size_t k = 0; k < std::size_t{blocks} * 256; ++k) {
        c.voltage.push_back(toRaw(volts(k), gainV));
        c.current.push_back(toRaw(amps(k), gainI));
    }
    c.raw = {c.voltage, c.current, blocks, gainV, gainI, 20000, 1};
    return c;
}

}  // namespace voltaris::test
