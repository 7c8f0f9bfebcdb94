// Helpers of the acquisition tests: an observer that records the worker's events and lets a test
// wait for them, a meter simulator with the real serial port opened on it, and a scripted port
// for replies a meter cannot give. The private settings folder and the log reader come from the
// device tests' support.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/WorkerObserver.h"
#include "device/DeviceTestSupport.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"
#include "support/WaitFor.h"

namespace voltaris::test {

struct ObservedMessage {
    std::string text;
    std::string caption;
    bool operator==(const ObservedMessage&) const = default;
};

// Records the worker's calls. Consecutive repeats of a phase are recorded once.
class RecordingObserver final : public WorkerObserver {
public:
    void phaseChanged(int phase) override;
    void captureRead(bool transferred) override;
    void showMessage(const std::string& text, const std::string& caption) override;
    void stopping() override;

    // Waits until `ready` holds for the recorded events, at most `bound`.
    [[nodiscard]] bool waitUntil(const std::function<bool(const RecordingObserver&)>& ready,
                                 std::chrono::milliseconds bound = kWaitBound) const;
    [[nodiscard]] bool waitForCaptures(int count,
                                       std::chrono::milliseconds bound = kWaitBound) const;
    [[nodiscard]] bool waitForMessages(int count,
                                       std::chrono::milliseconds bound = kWaitBound) const;
    // Waits until `phase` has been posted more than `after` times.
    [[nodiscard]] bool waitForPhase(int phase, int after = 0,
                                    std::chrono::milliseconds bound = kWaitBound) const;

    // Event log, as tokens: "P<n>" phase, "R1"/"R0" capture read, "M" message.
    [[nodiscard]] std::vector<std::string> events() const;
    // How often `phase` was posted, repeats included.
    [[nodiscard]] int phaseCount(int phase) const;
    [[nodiscard]] std::vector<bool> captures() const;
    [[nodiscard]] std::vector<ObservedMessage> messages() const;

    // While held, a message blocks until stopping().
    void holdMessages(bool hold);
    // Run on the worker thread for each phase, before it is recorded.
    void onPhase(std::function<void(int)> hook);
    // From now on every call counts as a late call.
    void markStopped();
    [[nodiscard]] int lateCalls() const;
    [[nodiscard]] bool stoppingCalled() const;

private:
    void record(std::string token);

    mutable std::mutex m_mutex;  // protects every member below
    mutable std::condition_variable m_changed;
    std::uint64_t m_version = 0;  // counts the calls, for waitUntil()
    std::vector<std::string> m_events;
    std::vector<int> m_phases;
    int m_phaseCounts[4] = {};
    std::vector<bool> m_captures;
    std::vector<ObservedMessage> m_messages;
    std::function<void(int)> m_phaseHook;
    bool m_hold = false;
    bool m_stopping = false;
    bool m_stopped = false;
    int m_lateCalls = 0;
};

// The simulator running on its pseudo-terminal, and the real serial port opened on it.
struct SimMeter {
    explicit SimMeter(sim::Config config = {});
    [[nodiscard]] bool open();
    // Frames received since `from`.
    [[nodiscard]] std::vector<std::string> framesFrom(std::size_t from) const;
    sim::MeterSimulator sim;
    std::unique_ptr<SerialPort> port;
};

// A port that answers each command written with the reply a handler makes up; for replies the
// simulator cannot give. Reads return what is queued (nothing at once when the queue is empty).
// Safe to inspect from the test thread while the worker uses it.
class ScriptedMeterPort final : public SerialPort {
public:
    using Handler = std::function<std::string(const std::string& command)>;
    explicit ScriptedMeterPort(Handler handler) : m_handler(std::move(handler)) {}

    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    void close() override {}
    [[nodiscard]] std::string name() const override { return "scripted"; }

    [[nodiscard]] std::vector<std::string> commands() const;
    [[nodiscard]] std::size_t count(const std::string& command) const;
    [[nodiscard]] bool waitForCommand(const std::string& command, std::size_t times = 1,
                                      std::chrono::milliseconds bound = kWaitBound) const;
    // While held, a read blocks until release(); for an exchange that outlasts a stop.
    void holdReads(bool hold);

private:
    Handler m_handler;
    mutable std::mutex m_mutex;  // protects every member below
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_commands;
    std::deque<char> m_pending;
    bool m_holdReads = false;
};

// The status reply of the simulator's format with `letter` at position 9, cut or stretched to
// `length` characters (23 is the valid length).
[[nodiscard]] std::string StatusReply(char letter, std::size_t length = 23);

}  // namespace voltaris::test
