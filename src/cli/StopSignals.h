// SIGINT and SIGTERM as a request to end a capture run cleanly. Both are blocked in the thread
// that makes the object, and so in every thread started after it (the acquisition worker among
// them), and a watcher thread takes them with sigwait(): no code runs in a signal handler, and no
// system call of the worker is interrupted. The watcher calls the handler set with onStop().
#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace voltaris::cli {

class StopSignals {
public:
    StopSignals();
    // Ends the watcher and unblocks the two signals again.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Called on the watcher thread at each signal, at once when one came already; null to clear
    // it (waits for a call in progress).
    void onStop(std::function<void()> handler);
    [[nodiscard]] bool received() const { return m_received.load(); }

private:
    void watch();

    sigset_t m_signals{};
    sigset_t m_previousMask{};
    std::atomic<bool> m_received{false};
    std::atomic<bool> m_closing{false};
    std::mutex m_mutex;  // protects m_handler and its calls
    std::function<void()> m_handler;
    std::thread m_watcher;
};

// Sets a handler of StopSignals for the life of the object: the handler can use what lives
// longer than the guard.
class StopHandler {
public:
    StopHandler(StopSignals& watcher, std::function<void()> handler) : m_watcher(watcher) {
        m_watcher.onStop(std::move(handler));
    }
    ~StopHandler() { m_watcher.onStop(nullptr); }
    StopHandler(const StopHandler&) = delete;
    StopHandler& operator=(const StopHandler&) = delete;

private:
    StopSignals& m_watcher;
};

}  // namespace voltaris::cli
