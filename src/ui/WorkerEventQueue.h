// Calls handed from the acquisition worker to the user-interface thread, run there in the order
// they were posted. The calls travel through a mutex-guarded queue and a pipe wakes the UI
// thread's event loop, so every hand-over is a synchronisation that the standard library and
// ThreadSanitizer can see (Qt's own cross-thread posting is invisible to it).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QSocketNotifier;

namespace voltaris {

class WorkerEventQueue {
public:
    // Made on the user-interface thread, whose event loop will run the calls. Null when the
    // wake-up pipe cannot be made.
    [[nodiscard]] static std::unique_ptr<WorkerEventQueue> create();
    ~WorkerEventQueue();
    WorkerEventQueue(const WorkerEventQueue&) = delete;
    WorkerEventQueue& operator=(const WorkerEventQueue&) = delete;

    // Any thread: queues `call` and wakes the user-interface thread.
    void post(std::function<void()> call);

    // User-interface thread: runs the queued calls now, oldest first. Also run by the event
    // loop on each wake-up. A call that opens a nested event loop (a modal box) lets the calls
    // after it run inside that loop, still in order.
    void drain();

    // Drops the calls not run yet; safe inside a call being run.
    void discard();

    // Calls waiting to run.
    [[nodiscard]] std::size_t pending() const;

private:
    WorkerEventQueue(int readFd, int writeFd);

    const int m_readFd;
    const int m_writeFd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    mutable std::mutex m_mutex;  // protects m_calls
    std::deque<std::function<void()>> m_calls;
};

}  // namespace voltaris
