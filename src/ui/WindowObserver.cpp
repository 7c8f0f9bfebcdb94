// Forwarding of the worker's reports to the window.
#include "ui/WindowObserver.h"

#include "ui/WorkerEventQueue.h"

namespace voltaris {

WindowObserver::WindowObserver(WorkerEventQueue& queue, Handlers handlers,
                               std::function<void()> takeCapture)
    : m_queue(queue), m_handlers(std::move(handlers)), m_takeCapture(std::move(takeCapture)) {}

void WindowObserver::phaseChanged(int phase) {
    if (phase == m_lastPhase) {
        return;
    }
    m_lastPhase = phase;
    m_queue.post([this, phase] { m_handlers.phase(phase); });
}

void WindowObserver::captureRead(bool transferred) {
    if (transferred && m_takeCapture) {
        m_takeCapture();
    }
    m_queue.post([this, transferred] { m_handlers.capture(transferred); });
}

void WindowObserver::linkChanged(bool lost) {
    if (m_handlers.link) {
        m_queue.post([this, lost] { m_handlers.link(lost); });
    }
}

void WindowObserver::showMessage(const std::string& text, const std::string& caption) {
    auto pending = std::make_shared<PendingMessage>();
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_pending = pending;
    }
    m_queue.post([this, pending, text, caption] {
        bool closing = false;
        {
            std::lock_guard lock(pending->mutex);
            closing = pending->done;  // released by stopping() before it came up
        }
        if (!closing) {
            m_handlers.message(text, caption);
        }
        {
            std::lock_guard lock(pending->mutex);
            pending->done = true;
        }
        pending->changed.notify_all();
    });
    {
        std::unique_lock lock(pending->mutex);
        pending->changed.wait(lock, [&] { return pending->done; });
    }
    std::lock_guard lock(m_mutex);
    if (m_pending == pending) {
        m_pending.reset();
    }
}

void WindowObserver::stopping() {
    std::shared_ptr<PendingMessage> pending;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        pending = std::move(m_pending);
    }
    if (pending) {
        {
            std::lock_guard lock(pending->mutex);
            pending->done = true;
        }
        pending->changed.notify_all();
    }
}

}  // namespace voltaris
