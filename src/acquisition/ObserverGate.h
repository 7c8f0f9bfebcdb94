// The door through which the acquisition worker reaches its observer: once closed, no call gets
// through, so that nothing of the worker touches the observer after the worker was stopped,
// even when the thread outlives the stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "acquisition/WorkerObserver.h"

namespace voltaris {

class ObserverGate {
public:
    explicit ObserverGate(WorkerObserver& observer) : m_observer(&observer) {}
    ObserverGate(const ObserverGate&) = delete;
    ObserverGate& operator=(const ObserverGate&) = delete;

    // Runs `f(observer)` unless the gate is closed. The lock is not held during the call, so
    // a blocking call (a message) does not keep close() from shutting the door.
    template <class F>
    void call(F&& f) {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) {
                return;
            }
            ++m_inFlight;
        }
        f(*m_observer);
        {
            std::lock_guard lock(m_mutex);
            --m_inFlight;
        }
        m_idle.notify_all();
    }

    // Lets no further call in, then waits until the calls in progress have returned or the
    // deadline passes. True when none is left in progress.
    bool close(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(m_mutex);
        m_closed = true;
        return m_idle.wait_until(lock, deadline, [this] { return m_inFlight == 0; });
    }

private:
    WorkerObserver* const m_observer;
    std::mutex m_mutex;              // protects m_closed and m_inFlight
    std::condition_variable m_idle;  // signalled when a call returns; close() waits on it
    bool m_closed = false;
    int m_inFlight = 0;
};

}  // namespace voltaris
