// The acquisition worker's state machine: each iteration copies the request, lets the capture
// source follow it (a meter source adopts a newly selected port), then arms, polls, transfers a
// capture or stores the calibration, as the request's state says.
#pragma once

#include <cstdint>
#include <memory>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/ObserverGate.h"

namespace voltaris {

class WorkerLoop final : private SourceHost {
public:
    static constexpr std::chrono::milliseconds kLoopPeriod{10};

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
    void postPhase(int phase);

    // SourceHost
    AcquisitionShared& shared() override { return *m_shared; }
    void show(const char* text, const char* caption) override;

    std::shared_ptr<AcquisitionShared> m_shared;
    std::shared_ptr<ObserverGate> m_gate;
    std::unique_ptr<CaptureSource> m_source;
    bool m_communicationError = false;
    std::uint64_t m_sequence = 0;  // of the last capture transferred whole
};

}  // namespace voltaris
