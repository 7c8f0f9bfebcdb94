// Captures of the simulated meter: trigger timing, and the samples of B decoded and compared
// with the configured signals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "SimPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::SimPort;

struct Samples {
    std::vector<double> voltage;
    std::vector<double> current;
};

Samples decode(const std::string& bytes) {
    Samples s;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        auto word = [&](std::size_t at) {
            return static_cast<std::int16_t>((static_cast<std::uint8_t>(bytes[at]) << 8) |
                                             static_cast<std::uint8_t>(bytes[at + 1]));
        };
        s.voltage.push_back(word(i));
        s.current.push_back(word(i + 2));
    }
    return s;
}

// Complex amplitude of harmonic `order` over the 256-sample block starting at `first`.
std::complex<double> harmonic(const std::vector<double>& x, std::size_t first, int order) {
    std::complex<double> sum;
    for (int n = 0; n < 256; ++n) {
        sum += x[first + n] * std::polar(1.0, -2.0 * std::numbers::pi * order * n / 256.0);
    }
    return sum * (2.0 / 256.0);
}

double wrap(double angle) {
    return std::remainder(angle, 2.0 * std::numbers::pi);
}

// Arms a capture of `blocks` blocks, waits for it and reads it.
std::string capture(MeterSimulator& sim, SimPort& port, int blocks) {
    char frame[8];
    std::snprintf(frame, sizeof frame, "<L%02X>", blocks);
    EXPECT_EQ(port.command(frame), "<K>");
    EXPECT_EQ(port.command("<S>"), "<K>");
    EXPECT_TRUE(sim.waitForCaptureState(CaptureState::Complete, 5s));
    EXPECT_EQ(port.command("<?>")[9], 'C');
    port.send("<B>");
    return port.readBytes(static_cast<std::size_t>(blocks) * 1024);
}

TEST(MeterSimCapture, CompletesOnlyAfterBlocksTimes20Ms) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<L0A>"), "<K>");
    const auto armed = Clock::now();
    EXPECT_EQ(port.command("<S>"), "<K>");
    EXPECT_EQ(port.command("<?>")[9], 'A');
    ASSERT_TRUE(sim.waitForCaptureState(CaptureState::Complete, 5s));
    EXPECT_GE(Clock::now() - armed, 200ms);
    EXPECT_EQ(port.command("<?>")[9], 'C');
}

TEST(MeterSimCapture, HeldTriggerKeepsItArmedUntilReleased) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    sim.setTriggerHolds(false);
    EXPECT_EQ(port.command("<L01>"), "<K>");
    EXPECT_EQ(port.command("<S>"), "<K>");
    // Well past the 20 ms capture time, every poll still finds it armed.
    const auto start = Clock::now();
    while (Clock::now() - start < 100ms) {
        ASSERT_EQ(port.command("<?>")[9], 'A');
    }
    EXPECT_TRUE(sim.isArmed());
    // B before completion still sends the acknowledged length.
    port.send("<B>");
    EXPECT_EQ(port.readBytes(1024).size(), 1024u);
    const auto released = Clock::now();
    sim.setTriggerHolds(true);
    EXPECT_TRUE(sim.waitForCaptureState(CaptureState::Complete, 2s));
    EXPECT_GE(Clock::now() - released, 20ms);
    EXPECT_EQ(port.command("<?>")[9], 'C');
}

TEST(MeterSimCapture, SamplesMatchTheWaveform) {
    Config config;
    config.waveform.voltageRms = 230;
    config.waveform.currentRms = 1.5;
    config.waveform.currentPhaseDeg = 30;
    config.waveform.voltageHarmonics = {{3, 0.1}};
    config.waveform.currentHarmonics = {{5, 0.2}, {7, -0.05}};
    MeterSimulator sim(config);
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    const std::string bytes = capture(sim, port, 4);
    ASSERT_EQ(bytes.size(), 4u * 1024);
    const Samples s = decode(bytes);

    // RMS values are of the whole signal, so the fundamental carries 1/sqrt(1 + sum h^2).
    const double v1 = 230 * std::sqrt(2.0 / 1.01) / kDefaultGainV;
    const double i1 = 1.5 * std::sqrt(2.0 / (1 + 0.04 + 0.0025)) / kDefaultGainI;
    const auto v0 = harmonic(s.voltage, 0, 1);
    for (std::size_t block = 0; block < 4; ++block) {
        const auto v = harmonic(s.voltage, block * 256, 1);
        const auto i = harmonic(s.current, block * 256, 1);
        EXPECT_NEAR(std::abs(v), v1, 1.0);
        EXPECT_NEAR(std::abs(i), i1, 1.0);
        EXPECT_NEAR(wrap(std::arg(i) - std::arg(v)), -std::numbers::pi / 6, 1e-3);
        // One mains period per block: the phase runs on unbroken from block to block.
        EXPECT_NEAR(wrap(std::arg(v) - std::arg(v0)), 0.0, 1e-3) << "block " << block;
        EXPECT_NEAR(std::abs(harmonic(s.voltage, block * 256, 3)) / v1, 0.1, 1e-3);
        EXPECT_NEAR(std::abs(harmonic(s.current, block * 256, 5)) / i1, 0.2, 1e-3);
        EXPECT_NEAR(std::abs(harmonic(s.current, block * 256, 7)) / i1, 0.05, 1e-3);
        EXPECT_LT(std::abs(harmonic(s.voltage, block * 256, 2)), 1.0);
    }
}

TEST(MeterSimCapture, UsesTheGainsInItsEepromAndSaturates) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    // gainV doubled (0x3D365025): the same volts give half the raw amplitude.
    for (auto [address, value] :
         {std::pair{"0E", "25"}, {"0F", "50"}, {"10", "36"}, {"11", "3D"}}) {
        EXPECT_EQ(port.command(std::string("<W") + address + value + ">"), "<K>");
    }
    const double expected = 230 * std::sqrt(2.0) / (2 * kDefaultGainV);
    EXPECT_NEAR(std::abs(harmonic(decode(capture(sim, port, 1)).voltage, 0, 1)), expected, 1.0);

    // An erased EEPROM falls back to the default gains rather than NaN.
    sim.eraseEeprom();
    EXPECT_NEAR(std::abs(harmonic(decode(capture(sim, port, 1)).voltage, 0, 1)), 2 * expected, 1.0);

    Waveform loud;
    loud.voltageRms = 1000;  // 1414 V peak, beyond the converter's 729 V
    sim.setWaveform(loud);
    const Samples s = decode(capture(sim, port, 1));
    EXPECT_EQ(*std::max_element(s.voltage.begin(), s.voltage.end()), 32767);
    EXPECT_EQ(*std::min_element(s.voltage.begin(), s.voltage.end()), -32768);
}

TEST(MeterSimCapture, NoiseStaysWithinItsPeak) {
    Config config;
    config.waveform.voltageRms = 0;
    config.waveform.currentRms = 0;
    config.waveform.voltageNoise = 40;
    config.waveform.currentNoise = 5;
    MeterSimulator sim(config);
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    const Samples s = decode(capture(sim, port, 2));
    ASSERT_EQ(s.voltage.size(), 512u);
    auto [vMin, vMax] = std::minmax_element(s.voltage.begin(), s.voltage.end());
    auto [iMin, iMax] = std::minmax_element(s.current.begin(), s.current.end());
    EXPECT_GE(*vMin, -40);
    EXPECT_LE(*vMax, 40);
    EXPECT_GT(*vMax - *vMin, 40) << "the noise spreads over its range";
    EXPECT_GE(*iMin, -5);
    EXPECT_LE(*iMax, 5);
    EXPECT_GT(*iMax - *iMin, 0);
}

}  // namespace
}  // namespace voltaris::sim
