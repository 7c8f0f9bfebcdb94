// The sigwait() watcher of the capture command.
#include "cli/StopSignals.h"

#include <pthread.h>

namespace voltaris::cli {

StopSignals::StopSignals() {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_signals, &m_previousMask);
    m_watcher = std::thread([this] { watch(); });
}

StopSignals::~StopSignals() {
    // The watcher takes this SIGTERM itself and, closing, ends.
    m_closing = true;
    pthread_kill(m_watcher.native_handle(), SIGTERM);
    m_watcher.join();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void StopSignals::onStop(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
    if (m_handler && m_received) {
        m_handler();
    }
}

void StopSignals::watch() {
    for (;;) {
        int number = 0;
        if (sigwait(&m_signals, &number) != 0) {
            continue;
        }
        if (m_closing) {
            return;
        }
        m_received = true;
        std::lock_guard lock(m_mutex);
        if (m_handler) {
            m_handler();
        }
    }
}

}  // namespace voltaris::cli
