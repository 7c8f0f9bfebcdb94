// The capture command's observer.
#include "cli/CaptureObserver.h"

#include <cstdio>

#include "acquisition/WorkerMessages.h"
#include "acquisition/WorkerPhase.h"

namespace voltaris::cli {

void CaptureObserver::phaseChanged(int phase) {
    bool notify = phase == WorkerPhaseStopped;
    {
        std::lock_guard lock(m_mutex);
        if (phase != WorkerPhaseWaiting) {
            m_waitingSince.reset();
        } else if (!m_waitingSince) {
            // A waiter with a trigger timeout now has a deadline.
            m_waitingSince = std::chrono::steady_clock::now();
            notify = true;
        }
        if (phase == WorkerPhaseStopped) {
            m_idleSeen = true;
        }
    }
    if (notify) {
        m_changed.notify_all();
    }
}

void CaptureObserver::captureRead(bool transferred) {
    if (!transferred) {
        return;  // no whole capture: the communication error follows
    }
    // Copied now, before the worker can arm the next capture, so that none is lost.
    (void)m_handOver.take(m_shared);
    {
        std::lock_guard lock(m_mutex);  // orders the notification after a waiter's check
    }
    m_changed.notify_all();
}

void CaptureObserver::sourceEnded() {
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
}

void CaptureObserver::showMessage(const std::string& text, const std::string& caption) {
    if (caption.empty()) {
        std::fprintf(stderr, "%s\n", text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    if (text == kCalibrationStoreErrorText || text == kFactoryCalibrationStoreErrorText) {
        std::lock_guard lock(m_mutex);
        m_storeFailed = true;
    }
    if (text == kCommunicationErrorText) {
        {
            std::lock_guard lock(m_mutex);
            m_communicationError = true;
        }
        m_changed.notify_all();
    }
}

void CaptureObserver::linkChanged(bool lost) {
    std::fprintf(stderr, "%s\n", lost ? kLinkLostText : kLinkRestoredText);
}

void CaptureObserver::waitForIdle() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_idleSeen || m_communicationError || m_stopRequested; });
}

std::unique_ptr<HandedCapture> CaptureObserver::nextCapture() {
    std::unique_lock lock(m_mutex);
    std::unique_ptr<HandedCapture> capture;
    m_changed.wait(lock, [&] {
        capture = m_handOver.next();
        return capture || m_ended || m_communicationError || m_stopRequested;
    });
    return capture;
}

std::unique_ptr<HandedCapture> CaptureObserver::nextCapture(
    std::chrono::milliseconds triggerTimeout) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::unique_ptr<HandedCapture> capture = m_handOver.next();
        if (capture || m_ended || m_communicationError || m_stopRequested) {
            return capture;
        }
        if (!m_waitingSince) {
            m_changed.wait(lock);
            continue;
        }
        const auto deadline = *m_waitingSince + triggerTimeout;
        if (std::chrono::steady_clock::now() >= deadline) {
            m_triggerTimedOut = true;
            return nullptr;
        }
        m_changed.wait_until(lock, deadline);
    }
}

void CaptureObserver::requestStop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_changed.notify_all();
}

bool CaptureObserver::stopRequested() const {
    std::lock_guard lock(m_mutex);
    return m_stopRequested;
}

bool CaptureObserver::triggerTimedOut() const {
    std::lock_guard lock(m_mutex);
    return m_triggerTimedOut;
}

bool CaptureObserver::storeFailed() const {
    std::lock_guard lock(m_mutex);
    return m_storeFailed;
}

bool CaptureObserver::communicationError() const {
    std::lock_guard lock(m_mutex);
    return m_communicationError;
}

}  // namespace voltaris::cli
