// An observer that records the acquisition worker's events and lets a test wait for them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/WorkerObserver.h"
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

}  // namespace voltaris::test
