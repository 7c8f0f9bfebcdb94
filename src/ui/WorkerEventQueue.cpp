// The worker-to-window call queue and its wake-up pipe.
#include "ui/WorkerEventQueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "infra/Log.h"

namespace voltaris {

std::unique_ptr<WorkerEventQueue> WorkerEventQueue::create() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        LogMessage("voltaris", LogError, "Worker event pipe: %s", std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<WorkerEventQueue>(new WorkerEventQueue(fds[0], fds[1]));
}

WorkerEventQueue::WorkerEventQueue(int readFd, int writeFd)
    : m_readFd(readFd),
      m_writeFd(writeFd),
      m_notifier(std::make_unique<QSocketNotifier>(readFd, QSocketNotifier::Read)) {
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
}

WorkerEventQueue::~WorkerEventQueue() {
    m_notifier.reset();
    ::close(m_readFd);
    ::close(m_writeFd);
}

void WorkerEventQueue::post(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    // A full pipe already holds a wake-up, and one wake-up runs every queued call.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_writeFd, &byte, 1);
}

void WorkerEventQueue::drain() {
    char bytes[256];
    while (::read(m_readFd, bytes, sizeof bytes) > 0) {
    }
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_calls.empty()) {
                return;
            }
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        call();
    }
}

void WorkerEventQueue::discard() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_calls);
    }
}

std::size_t WorkerEventQueue::pending() const {
    std::lock_guard lock(m_mutex);
    return m_calls.size();
}

}  // namespace voltaris
