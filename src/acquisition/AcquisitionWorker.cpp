// Starting and stopping the worker thread. Everything the thread touches is shared-owned, so a
// thread that outlives a stop whose bound passed still finds it intact.
#include "acquisition/AcquisitionWorker.h"

#include <condition_variable>
#include <mutex>

#include "acquisition/MeterCaptureSource.h"
#include "acquisition/ObserverGate.h"
#include "acquisition/WorkerLoop.h"
#include "infra/Log.h"

namespace voltaris {

struct WorkerCompletion {
    std::mutex mutex;                // protects done
    std::condition_variable signal;  // notified when done is set; waited on with mutex
    bool done = false;
};

AcquisitionWorker::AcquisitionWorker(std::shared_ptr<AcquisitionShared> shared,
                                     WorkerObserver& observer,
                                     std::unique_ptr<CaptureSource> source)
    : m_shared(std::move(shared)),
      m_observer(observer),
      m_gate(std::make_shared<ObserverGate>(observer)),
      m_completion(std::make_shared<WorkerCompletion>()),
      m_source(source ? std::move(source) : std::make_unique<MeterCaptureSource>()) {}

AcquisitionWorker::~AcquisitionWorker() {
    stop();
}

bool AcquisitionWorker::start() {
    if (m_started) {
        return false;
    }
    m_started = true;
    auto loop = std::make_shared<WorkerLoop>(m_shared, m_gate, std::move(m_source));
    m_thread = std::thread([loop, completion = m_completion] {
        loop->run();
        {
            std::lock_guard lock(completion->mutex);
            completion->done = true;
        }
        completion->signal.notify_all();
    });
    return true;
}

bool AcquisitionWorker::stop(std::chrono::milliseconds bound) {
    if (!m_thread.joinable()) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    m_shared->requestExit();
    m_observer.stopping();
    // From here on no call reaches the observer; a message in progress has been told to end.
    const bool observerReleased = m_gate->close(deadline);
    bool ended = false;
    {
        std::unique_lock lock(m_completion->mutex);
        ended =
            m_completion->signal.wait_until(lock, deadline, [this] { return m_completion->done; });
    }
    if (ended) {
        m_thread.join();
    } else {
        LogMessage("voltaris", LogError, "Acquisition worker still busy after %d ms, left running",
                   static_cast<int>(bound.count()));
        m_thread.detach();
    }
    if (!observerReleased) {
        LogMessage("voltaris", LogError, "Acquisition worker observer did not release a message");
    }
    return ended;
}

}  // namespace voltaris
