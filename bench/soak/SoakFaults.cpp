// Fault soak of the acquisition: the worker runs continuously against the simulated meter on a
// pseudo-terminal (in-process, unpaced) while faults of the link are switched on and off at
// random: silence, replies without '>', garbage, a cut B transfer, late replies, refused S, T
// and L. Every capture the worker reports goes through the hand-over and DoCalculations; the
// soak checks that each one reported was analysed, none twice, none lost (sequence numbers
// follow each other) and that each shows the simulator's signals (230 V, 1 A), so no reply to
// another command was taken for samples. After a communication error the acquisition is
// Idle; the soak presses Run again, as the user would, if the worker has not resumed by itself.
//
// Usage: soak_faults [--captures N] [--seed S] [--periods P] [--fault-every F] [--no-cut]
// (1000, 1, 1, 20): on average one capture in F switches a fault on; --no-cut leaves out the
// cut B transfer. Each fault switched on is printed with its time. Exit 0 when every check held.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "SoakMemory.h"
#include "acquisition/AcquisitionShared.h"
#include "acquisition/AcquisitionWorker.h"
#include "acquisition/CaptureHandOver.h"
#include "analysis/Measurements.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace {

using namespace voltaris;
using Clock = std::chrono::steady_clock;

constexpr double kVoltageRms = 230;
constexpr double kCurrentRms = 1;
constexpr double kTolerance = 0.02;  // relative, on the RMS values of a capture
// Without a capture for this long the run is stuck: the soak ends with a failure.
constexpr auto kStallBound = std::chrono::seconds(120);

// Hands each capture over on the worker thread and counts what the worker said.
class SoakObserver final : public WorkerObserver {
public:
    SoakObserver(AcquisitionShared& shared, CaptureHandOver& handOver)
        : m_shared(shared), m_handOver(handOver) {}

    void phaseChanged(int) override {}
    void captureRead(bool transferred) override {
        if (transferred) {
            if (!m_handOver.take(m_shared)) {
                ++m_dropped;
            }
            ++m_reported;
        } else {
            ++m_failedTransfers;
        }
        m_changed.notify_all();
    }
    void showMessage(const std::string& text, const std::string&) override {
        std::lock_guard lock(m_mutex);
        ++m_messages[text];
    }
    void stopping() override {}

    void waitForCapture(std::chrono::milliseconds bound) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, bound, [&] { return m_handOver.pending() > 0; });
    }
    [[nodiscard]] int messageCount() const {
        std::lock_guard lock(m_mutex);
        int total = 0;
        for (const auto& entry : m_messages) {
            total += entry.second;
        }
        return total;
    }
    [[nodiscard]] std::map<std::string, int> messages() const {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

    std::atomic<int> m_reported{0};
    std::atomic<int> m_failedTransfers{0};
    std::atomic<int> m_dropped{0};

private:
    AcquisitionShared& m_shared;
    CaptureHandOver& m_handOver;
    mutable std::mutex m_mutex;  // protects m_messages; the wait's partner
    std::condition_variable_any m_changed;
    std::map<std::string, int> m_messages;
};

struct FaultKind {
    const char* name;
    void (*apply)(sim::Faults&, std::mt19937&);
};

const std::vector<FaultKind>& FaultKinds(bool withCut) {
    static const std::vector<FaultKind> all = {
        {"silence", [](sim::Faults& f, std::mt19937&) { f.silent = true; }},
        {"no '>'", [](sim::Faults& f, std::mt19937&) { f.noTerminator = true; }},
        {"garbage", [](sim::Faults& f, std::mt19937&) { f.garbage = true; }},
        {"late replies",
         [](sim::Faults& f, std::mt19937& random) {
             f.lateBytesMs = std::uniform_int_distribution<int>(100, 900)(random);
         }},
        {"refused S", [](sim::Faults& f, std::mt19937&) { f.refuseS = true; }},
        {"refused T", [](sim::Faults& f, std::mt19937&) { f.refuseT = true; }},
        {"refused L", [](sim::Faults& f, std::mt19937&) { f.refuseL = true; }},
        {"cut B",
         [](sim::Faults& f, std::mt19937& random) {
             f.cutBulkAt = std::uniform_int_distribution<int>(0, 3 * 1024)(random);
         }},
    };
    static const std::vector<FaultKind> withoutCut(all.begin(), all.end() - 1);
    return withCut ? all : withoutCut;
}

struct Options {
    int captures = 1000;
    unsigned seed = 1;
    int periods = 1;
    int faultEvery = 20;
    bool cut = true;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const bool hasValue = k + 1 < argc;
        if (std::strcmp(argv[k], "--no-cut") == 0) {
            options.cut = false;
        } else if (std::strcmp(argv[k], "--captures") == 0 && hasValue) {
            options.captures = std::atoi(argv[++k]);
        } else if (std::strcmp(argv[k], "--seed") == 0 && hasValue) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++k], nullptr, 10));
        } else if (std::strcmp(argv[k], "--fault-every") == 0 && hasValue) {
            options.faultEvery = std::atoi(argv[++k]);
        } else if (std::strcmp(argv[k], "--periods") == 0 && hasValue) {
            options.periods = std::atoi(argv[++k]);
        } else {
            return false;
        }
    }
    return options.captures > 0 && options.faultEvery > 0 && options.periods >= 1 &&
           options.periods <= kMaxPeriodCount;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--captures N] [--seed S] [--periods P] [--no-cut]\n",
                     argv[0]);
        return 2;
    }
    sim::Config config;
    config.waveform.voltageRms = kVoltageRms;
    config.waveform.currentRms = kCurrentRms;
    sim::MeterSimulator meter(config);
    std::unique_ptr<SerialPort> port;
    if (!meter.start() || !(port = OpenPort(meter.portPath()))) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    auto shared = std::make_shared<AcquisitionShared>();
    shared->setPort(port.get());
    (void)shared->setPeriodCount(options.periods);
    shared->setState(AcqStatus::RunRequested);
    CaptureHandOver handOver;
    SoakObserver observer(*shared, handOver);
    AcquisitionWorker worker(shared, observer, nullptr);
    if (!worker.start()) {
        std::fprintf(stderr, "the worker did not start\n");
        return 1;
    }

    std::mt19937 random(options.seed);
    const auto& kinds = FaultKinds(options.cut);
    std::map<std::string, int> faultCounts;
    bool faultOn = false;
    Clock::time_point faultEnds{};
    auto measurements = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    int analysed = 0, duplicates = 0, gaps = 0, wrongValues = 0, notAnalysed = 0, restarts = 0;
    std::uint64_t lastSequence = 0;
    const auto started = Clock::now();
    auto lastProgress = started;

    while (analysed + notAnalysed < options.captures && Clock::now() - lastProgress < kStallBound) {
        observer.waitForCapture(std::chrono::milliseconds(50));
        while (std::unique_ptr<HandedCapture> capture = handOver.next()) {
            lastProgress = Clock::now();
            const std::uint64_t sequence = capture->buffer.sequence;
            if (sequence <= lastSequence) {
                ++duplicates;
            } else {
                gaps += sequence != lastSequence + 1 ? 1 : 0;
                lastSequence = sequence;
                AnalysisOptions analysis;
                analysis.status = AcquisitionStatus::Running;
                if (DoCalculations(capture->raw(kGenerationV1), analysis, *measurements,
                                   statistics)) {
                    ++analysed;
                    const bool right =
                        std::abs(measurements->Vrms / kVoltageRms - 1) < kTolerance &&
                        std::abs(measurements->Irms / kCurrentRms - 1) < kTolerance;
                    if (!right) {
                        ++wrongValues;
                        std::printf("capture %llu: %.2f V, %.4f A\n",
                                    static_cast<unsigned long long>(sequence), measurements->Vrms,
                                    measurements->Irms);
                    }
                } else {
                    ++notAnalysed;
                }
            }
            handOver.recycle(std::move(capture));
            if ((analysed + notAnalysed) % 100 == 0 && notAnalysed + analysed > 0) {
                std::printf("%5d captures, %3d messages, VmRSS %ld KiB, %.0f s\n",
                            analysed + notAnalysed, observer.messageCount(), soak::ResidentKiB(),
                            std::chrono::duration<double>(Clock::now() - started).count());
                std::fflush(stdout);
            }
            // One capture in faultEvery switches a fault on for a tenth of a second to 1.5 s.
            if (!faultOn &&
                std::uniform_int_distribution<int>(1, options.faultEvery)(random) == 1) {
                const FaultKind& kind =
                    kinds[std::uniform_int_distribution<std::size_t>(0, kinds.size() - 1)(random)];
                sim::Faults faults;
                kind.apply(faults, random);
                meter.setFaults(faults);
                ++faultCounts[kind.name];
                std::printf("%7.1f s  after capture %llu: %s\n",
                            std::chrono::duration<double>(Clock::now() - started).count(),
                            static_cast<unsigned long long>(lastSequence), kind.name);
                faultOn = true;
                faultEnds =
                    Clock::now() + std::chrono::milliseconds(
                                       std::uniform_int_distribution<int>(100, 1500)(random));
            }
        }
        if (faultOn && Clock::now() >= faultEnds) {
            meter.setFaults({});
            faultOn = false;
        }
        // After a communication error: Run again, once the fault is over.
        if (!faultOn && shared->state() == AcqStatus::Idle) {
            shared->setState(AcqStatus::RunRequested);
            ++restarts;
        }
    }
    meter.setFaults({});
    const bool stopped = worker.stop();
    while (std::unique_ptr<HandedCapture> capture = handOver.next()) {
        handOver.recycle(std::move(capture));  // reported after the last count: not analysed
    }

    const auto messages = observer.messages();
    int communicationErrors = 0;
    std::printf("\nfaults switched on:");
    for (const auto& [name, count] : faultCounts) {
        std::printf(" %s %d,", name.c_str(), count);
    }
    std::printf("\nmessages:\n");
    for (const auto& [text, count] : messages) {
        std::printf("  %5d  %s\n", count, text.c_str());
        communicationErrors += count;
    }
    const int reported = observer.m_reported.load();
    std::printf(
        "captures reported %d, analysed %d, not analysed %d, duplicates %d, "
        "sequence gaps %d, dropped by the hand-over %d, wrong values %d\n",
        reported, analysed, notAnalysed, duplicates, gaps, observer.m_dropped.load(), wrongValues);
    std::printf("failed transfers %d, messages %d, runs restarted %d, %.0f s\n",
                observer.m_failedTransfers.load(), communicationErrors, restarts,
                std::chrono::duration<double>(Clock::now() - started).count());
    const bool ok = stopped && reported == analysed && notAnalysed == 0 && duplicates == 0 &&
                    gaps == 0 && observer.m_dropped.load() == 0 && wrongValues == 0 &&
                    analysed >= options.captures;
    std::printf("%s\n", ok ? "PASSED" : "FAILED");
    return ok ? 0 : 1;
}
