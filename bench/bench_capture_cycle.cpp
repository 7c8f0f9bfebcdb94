// Capture cycle of the acquisition worker against the simulated meter at line rate, 85 periods:
// from arming (state set to SingleRequested) to the capture-read notification. The physical
// minimum is 87 blocks x 20 ms of signal plus 89088 bytes of B reply at 46080 bytes/s.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/AcquisitionWorker.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace {

using namespace voltaris;

constexpr int kPeriods = 85;
constexpr double kSignalSeconds = (kPeriods + 2) * 0.020;
constexpr double kWireSeconds = (kPeriods + 2) * 1024 / 46080.0;
constexpr double kMinimumSeconds = kSignalSeconds + kWireSeconds;  // 3.673 s

// Counts capture notifications and lets the benchmark wait for the next one.
class CaptureCounter final : public WorkerObserver {
public:
    void phaseChanged(int phase) override {
        if (phase == WorkerPhaseStopped) {
            bump(m_idles);
        }
    }
    void captureRead(bool transferred) override {
        {
            std::lock_guard lock(m_mutex);
            m_failed = m_failed || !transferred;
        }
        bump(m_captures);
    }
    void showMessage(const std::string&, const std::string&) override {
        std::lock_guard lock(m_mutex);
        m_failed = true;
    }
    void stopping() override {}

    int captures() {
        std::lock_guard lock(m_mutex);
        return m_captures;
    }
    int idles() {
        std::lock_guard lock(m_mutex);
        return m_idles;
    }
    bool failed() {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }
    // Waits until `counter` exceeds `after`, at most 30 s.
    bool waitCaptures(int after) { return wait(m_captures, after); }
    bool waitIdles(int after) { return wait(m_idles, after); }

private:
    void bump(int& counter) {
        {
            std::lock_guard lock(m_mutex);
            ++counter;
        }
        m_changed.notify_all();
    }
    bool wait(const int& counter, int after) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
            return counter > after || m_failed;
        }) && !m_failed;
    }

    std::mutex m_mutex;  // protects the counters and m_failed
    std::condition_variable m_changed;
    int m_captures = 0;
    int m_idles = 0;
    bool m_failed = false;
};

void BM_CaptureCycle85Periods(benchmark::State& state) {
    sim::Config config;
    config.paced = true;
    sim::MeterSimulator meter(config);
    std::unique_ptr<SerialPort> port;
    if (!meter.start() || !(port = OpenPort(meter.portPath()))) {
        state.SkipWithError("simulator not available");
        return;
    }
    auto shared = std::make_shared<AcquisitionShared>();
    shared->setPort(port.get());
    (void)shared->setPeriodCount(kPeriods);
    shared->setState(AcqStatus::Idle);
    CaptureCounter counter;
    AcquisitionWorker worker(shared, counter, nullptr);
    if (!worker.start() || !counter.waitIdles(0)) {  // port adopted, calibration loaded
        state.SkipWithError("worker did not start");
        return;
    }

    double total = 0;
    int cycles = 0;
    for (auto _ : state) {
        const int before = counter.captures();
        const auto armed = std::chrono::steady_clock::now();
        shared->setState(AcqStatus::SingleRequested);
        if (!counter.waitCaptures(before)) {
            state.SkipWithError("capture failed");
            break;
        }
        const auto read = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(read - armed).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++cycles;
        // The worker is idle again before the next arming.
        state.PauseTiming();
        const int idles = counter.idles();
        (void)counter.waitIdles(idles);
        state.ResumeTiming();
    }
    state.counters["minimum_s"] = kMinimumSeconds;
    if (cycles > 0) {
        state.counters["over_minimum_pct"] = (total / cycles / kMinimumSeconds - 1.0) * 100.0;
    }
    worker.stop();
}

}  // namespace

BENCHMARK(BM_CaptureCycle85Periods)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
