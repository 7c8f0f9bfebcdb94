// The window's side of the acquisition worker's reports: each report becomes a call on the
// user-interface thread, in the order of the events, and a message box raised by the worker
// holds the worker until the user has answered it or the window closes.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "acquisition/WorkerObserver.h"

namespace voltaris {

class WorkerEventQueue;

class WindowObserver final : public WorkerObserver {
public:
    // Run on the user-interface thread.
    struct Handlers {
        std::function<void(int phase)> phase;
        std::function<void(bool transferred)> capture;
        std::function<void(const std::string& text, const std::string& caption)> message;
        std::function<void(bool lost)> link;
    };

    // `takeCapture`, when given, runs on the worker thread for each capture transferred whole,
    // before its report is queued: the capture hand-over copies the buffer there.
    WindowObserver(WorkerEventQueue& queue, Handlers handlers,
                   std::function<void()> takeCapture = {});

    // Worker thread. A phase equal to the one last passed on is dropped: the worker repeats
    // phase 0 every 10 ms while idle, and the state meter only changes with the value.
    void phaseChanged(int phase) override;
    void captureRead(bool transferred) override;
    void linkChanged(bool lost) override;
    // Worker thread: waits until the box was answered, or until stopping().
    void showMessage(const std::string& text, const std::string& caption) override;
    // Any thread: releases a waiting showMessage() and every later one at once.
    void stopping() override;

private:
    // One box the worker waits for.
    struct PendingMessage {
        std::mutex mutex;                 // protects done
        std::condition_variable changed;  // notified when done is set; the worker waits on it
        bool done = false;
    };

    WorkerEventQueue& m_queue;
    const Handlers m_handlers;
    const std::function<void()> m_takeCapture;
    int m_lastPhase = -1;  // worker thread only

    std::mutex m_mutex;  // protects m_stopping and m_pending
    bool m_stopping = false;
    std::shared_ptr<PendingMessage> m_pending;
};

}  // namespace voltaris
