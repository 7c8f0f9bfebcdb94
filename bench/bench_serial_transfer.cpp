// Time to bring in the largest capture (87 blocks, 89088 bytes) with command B through
// SendCommand and the POSIX serial backend, against the simulated meter at the real line rate
// (460800 baud 8N1, so 1.933 s on the wire) and unpaced; and the cost of unpacking it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace {

using namespace std::chrono_literals;
using namespace voltaris;

constexpr int kBlocks = kMaxBlocks;
constexpr std::size_t kBytes = kMaxBulkBytes;
constexpr double kWireSeconds = kBytes * 10.0 / 460800.0;  // 10 bits per byte in 8N1

// A meter holding a complete capture of kBlocks blocks, and the port opened on it.
struct ArmedMeter {
    explicit ArmedMeter(bool paced) : sim(config(paced)) {}
    static sim::Config config(bool paced) {
        sim::Config c;
        c.paced = paced;
        return c;
    }
    bool prepare() {
        if (!sim.start() || !(port = OpenPort(sim.portPath()))) {
            return false;
        }
        char ack[16];
        std::size_t length = 0;
        return SendCommand(*port, BuildLCommand(kBlocks).c_str(), ack, sizeof ack, 0, length,
                           kEmptyReadsCommand) &&
               SendCommand(*port, kStartCommand, ack, sizeof ack, 0, length, kEmptyReadsCommand) &&
               sim.waitForCaptureState(sim::CaptureState::Complete, 10s);
    }
    sim::MeterSimulator sim;
    std::unique_ptr<SerialPort> port;
};

void transfer(benchmark::State& state, bool paced) {
    ArmedMeter meter(paced);
    if (!meter.prepare()) {
        state.SkipWithError("simulated meter not ready");
        return;
    }
    std::vector<char> reply(kBytes + 1);
    for (auto _ : state) {
        std::size_t length = 0;
        const bool ok = SendCommand(*meter.port, kBulkCommand, reply.data(), reply.size(), kBytes,
                                    length, kEmptyReadsBulk);
        if (!ok || length != kBytes) {
            state.SkipWithError("bulk transfer failed");
            break;
        }
        benchmark::DoNotOptimize(reply.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
    state.counters["wire_s"] = kWireSeconds;
}

void BM_BulkTransferPaced(benchmark::State& state) {
    transfer(state, true);
}
void BM_BulkTransferUnpaced(benchmark::State& state) {
    transfer(state, false);
}

void BM_UnpackFullCapture(benchmark::State& state) {
    std::vector<std::uint8_t> raw(kBytes);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<std::uint8_t>(i * 37u);
    }
    std::vector<std::int16_t> voltage(kBytes / kBytesPerSamplePair);
    std::vector<std::int16_t> current(kBytes / kBytesPerSamplePair);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnpackSamples(raw, voltage, current));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

}  // namespace

BENCHMARK(BM_BulkTransferPaced)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_BulkTransferUnpaced)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnpackFullCapture)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
