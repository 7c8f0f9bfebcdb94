// The two blocks shared by the user interface and the acquisition worker: the request block
// under the request mutex and the capture buffer under the capture mutex, with the operations
// both sides use on them. No code holds both mutexes at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "acquisition/AcqRequest.h"
#include "acquisition/CaptureBuffer.h"
#include "acquisition/WorkerPhase.h"

namespace voltaris {

class AcquisitionShared {
public:
    // The request holds its initial values (state RunRequested, 10 periods, default
    // calibration) and the capture buffer is cleared (sequence 0: no capture yet).
    AcquisitionShared() = default;
    AcquisitionShared(const AcquisitionShared&) = delete;
    AcquisitionShared& operator=(const AcquisitionShared&) = delete;

    // --- Request block ---
    [[nodiscard]] AcqRequest request() const;
    [[nodiscard]] AcqStatus state() const;
    void setState(AcqStatus state);
    // Sets `desired` only when the state is still `expected`; true when it did.
    bool compareAndSetState(AcqStatus expected, AcqStatus desired);
    // After a change of the capture settings: Running becomes RunRequested and SingleRunning
    // becomes SingleRequested, so that the meter is armed again. True when the state changed.
    bool rearm();

    void setPort(SerialPort* port);
    // False, and nothing changed, outside 1..85.
    [[nodiscard]] bool setPeriodCount(int periodCount);
    // Pre-trigger position and the eight thresholds, applied together. False, and nothing
    // changed, for a pre-trigger outside 0..84.
    [[nodiscard]] bool setTrigger(int preTrigger, const TriggerThresholds& thresholds);
    void setCalibration(const CalibrationParams& calibration);
    // Hands `calibration` to the worker with `store` (StoreCalibration or
    // StoreFactoryCalibration), both at once, only while the acquisition is Idle; false, and
    // nothing changed, otherwise.
    [[nodiscard]] bool requestCalibrationStore(const CalibrationParams& calibration,
                                               AcqStatus store);
    [[nodiscard]] CalibrationParams calibration() const;

    // Only the logging period of the calibration, after the meter took a new one.
    void setLogPeriod(std::uint16_t logPeriod);

    // --- Port loan ---
    // The file service borrows the meter's port from the worker. It asks only while the state
    // is Idle and no loan is under way (false, and nothing changed, otherwise). The worker
    // lends it at the top of its next iteration, once an exchange it was in has ended; from
    // then on, whatever the state becomes (a Run pressed meanwhile), it touches the port in no
    // way until the port is handed back.
    [[nodiscard]] bool requestPortLoan();
    // Worker: a requested loan becomes Lent.
    void grantPortLoan();
    // Waits until the port is lent, at most `bound`, and not once the exit is requested; true
    // when it is lent.
    [[nodiscard]] bool waitForPortLoan(std::chrono::milliseconds bound) const;
    // Ends the loan, granted or only requested: the worker uses the port again from its next
    // iteration. The borrower has stopped using the port before.
    void returnPort();
    [[nodiscard]] PortLoan portLoan() const;

    // Asks the worker to end and wakes its sleeps.
    void requestExit();
    [[nodiscard]] bool exitRequested() const;
    // Waits `duration` unless the exit is or becomes requested; true when it is.
    [[nodiscard]] bool waitForExit(std::chrono::milliseconds duration) const;

    // --- Worker phase ---
    [[nodiscard]] int workerPhase() const { return m_workerPhase.load(); }
    void setWorkerPhase(int phase) { m_workerPhase.store(phase); }

    // --- Capture buffer ---
    // Runs `f` with the capture buffer while holding the capture mutex; keep it short.
    template <class F>
    decltype(auto) withCapture(F&& f) {
        std::lock_guard lock(m_captureMutex);
        return std::forward<F>(f)(m_capture);
    }
    template <class F>
    decltype(auto) withCapture(F&& f) const {
        std::lock_guard lock(m_captureMutex);
        return std::forward<F>(f)(std::as_const(m_capture));
    }
    // Copies the whole capture buffer under the capture mutex.
    void copyCapture(CaptureBuffer& out) const;

private:
    mutable std::mutex m_requestMutex;  // protects m_request
    // Signalled under m_requestMutex when m_request.exitRequested is set, to end the worker's
    // sleeps; waited on with m_requestMutex.
    mutable std::condition_variable m_exitSignal;
    // Signalled under m_requestMutex when m_request.portLoan becomes Lent or the exit is
    // requested, for the borrower waiting for the port; waited on with m_requestMutex.
    mutable std::condition_variable m_loanSignal;
    AcqRequest m_request;

    mutable std::mutex m_captureMutex;  // protects m_capture
    CaptureBuffer m_capture;

    // The phase the worker last stored; written by the worker, read by anyone. It guards nothing
    // else: the phase report that follows each store carries the value to the window.
    std::atomic<int> m_workerPhase{WorkerPhaseStopped};
};

}  // namespace voltaris
