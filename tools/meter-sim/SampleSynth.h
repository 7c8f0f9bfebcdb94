// Turns the simulated mains signals into the meter's raw capture: 256 big-endian voltage/current
// sample pairs per block, one block per mains period.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "SimConfig.h"

namespace voltaris::sim {

inline constexpr int kSamplesPerBlock = 256;
inline constexpr int kBytesPerBlock = kSamplesPerBlock * 4;

class SampleSynth {
public:
    // The noise generator is seeded with a fixed value so that runs are reproducible.
    SampleSynth() : m_noise(0x5EED) {}

    // `blocks` blocks starting at `startPhase` (radians of the voltage fundamental); gains in
    // volts and amperes per raw unit. Values beyond the 16-bit range saturate like a converter.
    [[nodiscard]] std::string generate(const Waveform& waveform, int blocks, double startPhase,
                                       float gainV, float gainI);

private:
    std::mt19937 m_noise;
};

}  // namespace voltaris::sim
