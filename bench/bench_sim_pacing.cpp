// Throughput and inter-byte gaps of the simulator's bulk replies read through its terminal,
// paced (460800 baud) and unpaced, and the cost of synthesising a full capture.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "meter-sim/MeterSimulator.h"
#include "meter-sim/SampleSynth.h"

namespace {

using Clock = std::chrono::steady_clock;
using voltaris::sim::Config;
using voltaris::sim::MeterSimulator;

int openRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (fd >= 0 && ::tcgetattr(fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

struct ReadStats {
    std::size_t received = 0;
    double maxGapMs = 0;
    int gapsOver2Ms = 0;  // silences long enough to end the application's read early
};

// Reads `count` bytes, bounded by a 5 s deadline, timing the silences between reads.
ReadStats readAll(int fd, std::size_t count) {
    ReadStats stats;
    char buffer[4096];
    auto last = Clock::now();
    const auto deadline = last + std::chrono::seconds(5);
    while (stats.received < count && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        const auto now = Clock::now();
        if (stats.received > 0) {
            const double gap = std::chrono::duration<double, std::milli>(now - last).count();
            stats.maxGapMs = std::max(stats.maxGapMs, gap);
            stats.gapsOver2Ms += gap >= 2.0 ? 1 : 0;
        }
        last = now;
        stats.received += static_cast<std::size_t>(n);
    }
    return stats;
}

bool command(int fd, const char* frame, std::size_t replyLength) {
    if (::write(fd, frame, std::char_traits<char>::length(frame)) < 0) {
        return false;
    }
    return readAll(fd, replyLength).received == replyLength;
}

// Bulk B reply of state.range(0) blocks; arg 1 selects pacing.
void BM_BulkReply(benchmark::State& state) {
    const int blocks = static_cast<int>(state.range(0));
    Config config;
    config.paced = state.range(1) != 0;
    MeterSimulator sim(config);
    if (!sim.start()) {
        state.SkipWithError("cannot open a pseudo-terminal");
        return;
    }
    const int fd = openRaw(sim.portPath());
    char frame[8];
    std::snprintf(frame, sizeof frame, "<L%02X>", blocks);
    if (fd < 0 || !command(fd, frame, 3)) {
        state.SkipWithError("simulator did not answer");
        return;
    }
    const std::size_t size = static_cast<std::size_t>(blocks) * 1024;
    double worstGapMs = 0;
    int longGaps = 0;
    for (auto _ : state) {
        if (::write(fd, "<B>", 3) != 3) {
            state.SkipWithError("write failed");
            break;
        }
        const ReadStats stats = readAll(fd, size);
        worstGapMs = std::max(worstGapMs, stats.maxGapMs);
        longGaps += stats.gapsOver2Ms;
        if (stats.received != size) {
            state.SkipWithError("bulk reply incomplete");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
    state.counters["max_gap_ms"] = worstGapMs;
    state.counters["gaps_over_2ms"] = longGaps;
    ::close(fd);
}
BENCHMARK(BM_BulkReply)
    ->Args({12, 1})
    ->Args({87, 1})
    ->Args({12, 0})
    ->Args({87, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Synthesis of the largest capture (87 blocks) with harmonics and noise.
void BM_SynthesiseCapture(benchmark::State& state) {
    voltaris::sim::Waveform waveform;
    waveform.voltageHarmonics = {{3, 0.05}, {5, 0.03}};
    waveform.currentHarmonics = {{3, 0.3}, {5, 0.2}, {7, 0.1}};
    waveform.voltageNoise = 10;
    waveform.currentNoise = 10;
    voltaris::sim::SampleSynth synth;
    for (auto _ : state) {
        benchmark::DoNotOptimize(synth.generate(waveform, 87, 0.3, voltaris::sim::kDefaultGainV,
                                                voltaris::sim::kDefaultGainI));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 87 * 1024);
}
BENCHMARK(BM_SynthesiseCapture)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
