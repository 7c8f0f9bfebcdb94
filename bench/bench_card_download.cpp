// The download of one 270 000-byte card file (ten blocks) from the simulator paced at the line
// rate, against the time the file's bytes take on the wire (270 000 / 46 080 B/s = 5.86 s).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "device/CardFiles.h"
#include "device/SerialPort.h"
#include "files/LogDownload.h"
#include "meter-sim/MeterSimulator.h"

namespace {

constexpr std::uint32_t kFileBytes = 270000;
constexpr double kLineBytesPerSecond = 46080;  // 460800 baud, 8N1

void BM_DownloadPacedCardFile(benchmark::State& state) {
    voltaris::sim::Config config;
    config.generation = 2;
    config.paced = true;
    voltaris::sim::MeterSimulator meter(config);
    meter.clearLogFiles();
    std::vector<std::uint8_t> content =
        voltaris::sim::makeLogRecords(kFileBytes / voltaris::kLogRecordBytes);
    meter.addLogFile("BIG001", std::move(content));
    char folderTemplate[] = "/tmp/voltaris-bench-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (!meter.start() || folder == nullptr) {
        state.SkipWithError("no pseudo-terminal or temporary folder");
        return;
    }
    const std::unique_ptr<voltaris::SerialPort> port = voltaris::OpenPort(meter.portPath());
    if (!port) {
        state.SkipWithError("cannot open the simulator's terminal");
        return;
    }
    const std::vector<voltaris::CardFile> files{{"BIG001", kFileBytes}};
    voltaris::DownloadProgress progress;
    bool complete = true;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const voltaris::DownloadReport report =
            voltaris::DownloadLogFiles(*port, std::string(folder) + "/", files, progress);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        complete = complete && report.files.size() == 1 && report.files[0].complete;
    }
    if (!complete) {
        state.SkipWithError("the download was incomplete");
    }
    const double wire = kFileBytes / kLineBytesPerSecond;
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / wire;
    std::filesystem::remove_all(folder);
}

}  // namespace

// ratio: the time of one download over the wire time of the file's bytes.
BENCHMARK(BM_DownloadPacedCardFile)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
