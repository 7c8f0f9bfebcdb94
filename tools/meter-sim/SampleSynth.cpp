// Raw capture synthesis from the configured waveform.
#include "SampleSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace voltaris::sim {

namespace {

// Harmonic orders a 256-point period can carry below its Nyquist order.
constexpr int kMaxHarmonicOrder = kSamplesPerBlock / 2 - 1;

struct Component {
    int order;
    double amplitude;
};

// Fundamental amplitude chosen so that the whole signal has the requested RMS value.
std::vector<Component> components(double rms,
                                  const std::vector<std::pair<int, double>>& harmonics) {
    double sumSquares = 1.0;
    for (const auto& [order, fraction] : harmonics) {
        if (order >= 2 && order <= kMaxHarmonicOrder) {
            sumSquares += fraction * fraction;
        }
    }
    const double fundamental = rms * std::numbers::sqrt2 / std::sqrt(sumSquares);
    std::vector<Component> out{{1, fundamental}};
    for (const auto& [order, fraction] : harmonics) {
        if (order >= 2 && order <= kMaxHarmonicOrder) {
            out.push_back({order, fundamental * fraction});
        }
    }
    return out;
}

std::int16_t toRaw(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
}

void putBigEndian(std::string& out, std::size_t at, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out[at] = static_cast<char>(bits >> 8);
    out[at + 1] = static_cast<char>(bits & 0xFF);
}

}  // namespace

std::string SampleSynth::generate(const Waveform& waveform, int blocks, double startPhase,
                                  float gainV, float gainI) {
    const int count = std::max(blocks, 0) * kSamplesPerBlock;
    std::string out(static_cast<std::size_t>(count) * 4, '\0');
    const auto voltage = components(waveform.voltageRms / gainV, waveform.voltageHarmonics);
    const auto current = components(waveform.currentRms / gainI, waveform.currentHarmonics);
    const double lag = waveform.currentPhaseDeg * std::numbers::pi / 180.0;
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double step = 2.0 * std::numbers::pi / kSamplesPerBlock;
    for (int n = 0; n < count; ++n) {
        const double phase = startPhase + step * n;
        double v = 0;
        for (const Component& c : voltage) {
            v += c.amplitude * std::sin(c.order * phase);
        }
        double i = 0;
        for (const Component& c : current) {
            i += c.amplitude * std::sin(c.order * (phase - lag));
        }
        if (waveform.voltageNoise > 0) {
            v += waveform.voltageNoise * unit(m_noise);
        }
        if (waveform.currentNoise > 0) {
            i += waveform.currentNoise * unit(m_noise);
        }
        const auto at = static_cast<std::size_t>(n) * 4;
        putBigEndian(out, at, toRaw(v));
        putBigEndian(out, at + 2, toRaw(i));
    }
    return out;
}

}  // namespace voltaris::sim
