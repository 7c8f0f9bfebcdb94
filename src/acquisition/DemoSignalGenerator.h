// Synthetic captures of demonstration mode: two noisy sines, 256 samples per period, that read
// as about 250 V and 1.2 A with the default calibration, the current lagging by 1.4 rad.
#pragma once

#include <cstdint>
#include <span>

namespace voltaris {

// The C library's rand() as an unseeded program sees it: state x 214013 + 2531011, result
// bits 16..30 of the new state (0..32767), first state 1.
class CRandom {
public:
    static constexpr int kMax = 32767;
    [[nodiscard]] int next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t m_state = 1;
};

class DemoSignalGenerator {
public:
    static constexpr int kMainsPeriodTicks = 20000;  // 50 Hz with the 1 us tick of generation 1
    static constexpr int kCaptureMsPerPeriod = 20;   // simulated capture time

    // Fills periodCount + 2 blocks of both channels (cut to the spans' size) and returns the
    // number of blocks written. The random sequence carries on across captures.
    int generate(int periodCount, std::span<std::int16_t> voltage, std::span<std::int16_t> current);

private:
    CRandom m_random;
};

}  // namespace voltaris
