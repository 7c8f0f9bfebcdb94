// The acquisition worker thread: runs WorkerLoop over a capture source on its own thread from
// start() until stop(), reporting to a WorkerObserver.
#pragma once

#include <chrono>
#include <memory>
#include <thread>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/WorkerObserver.h"

namespace voltaris {

class ObserverGate;
struct WorkerCompletion;

class AcquisitionWorker {
public:
    // Long enough for an exchange in progress to finish: the drain after a failed command alone
    // can take about 5 s.
    static constexpr std::chrono::milliseconds kStopBound{8000};

    // `observer` must stay valid until stop() has returned. The ports set in the request must
    // stay open while the thread runs (for the life of the process if stop() returns false).
    // The worker owns `source` (null: a meter source) and uses it on its thread only.
    AcquisitionWorker(std::shared_ptr<AcquisitionShared> shared, WorkerObserver& observer,
                      std::unique_ptr<CaptureSource> source);
    ~AcquisitionWorker();  // stops the worker
    AcquisitionWorker(const AcquisitionWorker&) = delete;
    AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;

    // Starts the thread; false when it was already started.
    [[nodiscard]] bool start();

    // Sets exitRequested, tells the observer to release a message in progress, and waits up to
    // `bound` for the thread to end. True when it ended; otherwise the thread is left to finish
    // on its own. Either way the observer is not called again once this returns. Idempotent.
    bool stop(std::chrono::milliseconds bound = kStopBound);

    [[nodiscard]] bool running() const { return m_thread.joinable(); }

private:
    std::shared_ptr<AcquisitionShared> m_shared;
    WorkerObserver& m_observer;
    std::shared_ptr<ObserverGate> m_gate;
    std::shared_ptr<WorkerCompletion> m_completion;
    std::unique_ptr<CaptureSource> m_source;  // handed to the thread by start()
    std::thread m_thread;
    bool m_started = false;
};

}  // namespace voltaris
