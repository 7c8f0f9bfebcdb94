// The acquisition worker's state machine: each iteration copies the request, lets the capture
// source follow it (a meter source adopts a newly selected port), then arms, polls, transfers a
// capture or stores the calibration, as the request's state says.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/ObserverGate.h"

namespace voltaris {

class WorkerLoop final : private SourceHost {
public:
    static constexpr std::chrono::milliseconds kLoopPeriod{10};
    // Time between two attempts to reopen a lost link.
    static constexpr std::chrono::milliseconds kReconnectPeriod{2000};

    WorkerLoop(std::shared_ptr<AcquisitionShared> shared, std::shared_ptr<ObserverGate> gate,
               std::unique_ptr<CaptureSource> source);
    WorkerLoop(const WorkerLoop&) = delete;
    WorkerLoop& operator=(const WorkerLoop&) = delete;

    // Iterates every 10 ms until the exit is requested; the request is checked at the end of
    // each iteration.
    void run();
    // One iteration: copy, follow, dispatch on the state, communication-error path; while the
    // port is lent to the file service, only the stopped phase.
    void runIteration();

private:
    void arm(const AcqRequest& copy);
    void capture(const AcqRequest& copy);
    void sourceEnded(const AcqRequest& copy);
    void storeCalibration(const AcqRequest& copy, bool factory);
    void communicationErrorPath();
    // The link itself is gone: no reset (nothing would hear it) and no box, a capture in
    // progress is to be armed again, and reconnection starts.
    void linkLostPath(const AcqRequest& copy);
    // One reconnection step while the link is lost: every kReconnectPeriod the port is reopened
    // and asked its status; once the meter answers, the run resumes as the request says.
    void reconnectStep();
    void postPhase(int phase);

    // SourceHost
    AcquisitionShared& shared() override { return *m_shared; }
    void show(const char* text, const char* caption) override;

    std::shared_ptr<AcquisitionShared> m_shared;
    std::shared_ptr<ObserverGate> m_gate;
    std::unique_ptr<CaptureSource> m_source;
    bool m_communicationError = false;
    std::uint64_t m_sequence = 0;  // of the last capture transferred whole
    // While a lost link is being reconnected: the port it was on, and the next attempt's time.
    bool m_reconnecting = false;
    const SerialPort* m_lostPort = nullptr;
    std::chrono::steady_clock::time_point m_nextReconnect{};
    int m_reconnectAttempts = 0;
};

}  // namespace voltaris
