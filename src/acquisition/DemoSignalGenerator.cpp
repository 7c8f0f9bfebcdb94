// Demonstration waveforms: the draws run amplitude (at each block start), voltage noise, current
// noise, so that every run of the program produces the same captures.
#include "acquisition/DemoSignalGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace voltaris {

namespace {
constexpr std::size_t kSamplesPerBlock = 256;
constexpr double kPhaseStep = 0.024543692609375;  // 2 pi / 256 with pi = 3.141592654
constexpr double kBaseAmplitude = 15000;
constexpr double kAmplitudeSpread = 0.030517578125;  // 1000 / 32768 per random unit
constexpr double kVoltageNoise = 0.0152587890625;    // 500 / 32768
constexpr double kCurrentNoise = 0.1220703125;       // 4000 / 32768
constexpr double kVoltagePhase = 0.4;
constexpr double kCurrentPhase = 1.8;
}  // namespace

int DemoSignalGenerator::generate(int periodCount, std::span<std::int16_t> voltage,
                                  std::span<std::int16_t> current) {
    const int blocks = std::max(periodCount, 0) + 2;
    const std::size_t wanted = static_cast<std::size_t>(blocks) * kSamplesPerBlock;
    const std::size_t room = std::min(voltage.size(), current.size()) / kSamplesPerBlock;
    const std::size_t count = std::min(wanted, room * kSamplesPerBlock);
    double amplitude = kBaseAmplitude;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % kSamplesPerBlock == 0) {
            amplitude = m_random.next() * kAmplitudeSpread + kBaseAmplitude;
        }
        const double theta = static_cast<double>(i) * kPhaseStep;
        const double v =
            (m_random.next() * kVoltageNoise + amplitude) * std::sin(theta + kVoltagePhase);
        voltage[i] = static_cast<std::int16_t>(static_cast<int>(v));
        const double c =
            (m_random.next() * kCurrentNoise + amplitude) * std::sin(theta + kCurrentPhase);
        current[i] = static_cast<std::int16_t>(static_cast<int>(c));
    }
    return static_cast<int>(count / kSamplesPerBlock);
}

}  // namespace voltaris
