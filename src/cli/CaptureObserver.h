// What `voltaris-cli capture` hears from the worker: each capture is handed over when it is
// reported, messages the window would show in a box go to standard error, and the main thread
// waits here for the next capture, the end of a replay or a communication error.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureHandOver.h"
#include "acquisition/WorkerObserver.h"

namespace voltaris::cli {

class CaptureObserver final : public WorkerObserver {
public:
    explicit CaptureObserver(const AcquisitionShared& shared) : m_shared(shared) {}

    void phaseChanged(int phase) override;
    void captureRead(bool transferred) override;
    void sourceEnded() override;
    void showMessage(const std::string& text, const std::string& caption) override;
    // Says so on standard error; the capture goes on once the link is back.
    void linkChanged(bool lost) override;
    // Messages are printed, never waited for: nothing to release.
    void stopping() override {}

    // Waits until the worker has been idle once (port adopted, calibration loaded), a
    // communication error was reported or a stop was requested.
    void waitForIdle();
    // Waits for the next capture; null once the source ended, a communication error was
    // reported or a stop was requested and no capture is left. Give it back with recycle().
    [[nodiscard]] std::unique_ptr<HandedCapture> nextCapture();
    // The same, but it also gives up, null with triggerTimedOut() set, once the worker has been
    // armed and waiting for a trigger for `triggerTimeout` without a break.
    [[nodiscard]] std::unique_ptr<HandedCapture> nextCapture(
        std::chrono::milliseconds triggerTimeout);
    void recycle(std::unique_ptr<HandedCapture> capture) { m_handOver.recycle(std::move(capture)); }

    // Any thread: ends the waits above (SIGINT, SIGTERM).
    void requestStop();
    [[nodiscard]] bool stopRequested() const;
    [[nodiscard]] bool communicationError() const;
    [[nodiscard]] bool triggerTimedOut() const;
    // The worker reported that a calibration could not be written to the meter.
    [[nodiscard]] bool storeFailed() const;

private:
    const AcquisitionShared& m_shared;
    CaptureHandOver m_handOver;
    mutable std::mutex m_mutex;         // protects the flags and the time below
    std::condition_variable m_changed;  // notified when a flag is set or a capture handed over
    bool m_idleSeen = false;
    bool m_ended = false;
    bool m_communicationError = false;
    bool m_storeFailed = false;
    bool m_triggerTimedOut = false;
    bool m_stopRequested = false;
    // When the current stretch of the waiting-for-trigger phase began; unset in other phases.
    std::optional<std::chrono::steady_clock::time_point> m_waitingSince;
};

}  // namespace voltaris::cli
