// The recording observer of the acquisition tests.
#include "RecordingObserver.h"

#include <algorithm>

namespace voltaris::test {

void RecordingObserver::record(std::string token) {
    ++m_version;
    if (m_stopped) {
        ++m_lateCalls;
    }
    m_events.push_back(std::move(token));
}

void RecordingObserver::phaseChanged(int phase) {
    std::function<void(int)> hook;
    {
        std::lock_guard lock(m_mutex);
        hook = m_phaseHook;
    }
    if (hook) {
        hook(phase);
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_version;
        if (m_stopped) {
            ++m_lateCalls;
        }
        if (phase >= 0 && phase < 4) {
            ++m_phaseCounts[phase];
        }
        if (m_phases.empty() || m_phases.back() != phase) {
            m_phases.push_back(phase);
            m_events.push_back("P" + std::to_string(phase));
        }
    }
    m_changed.notify_all();
}

void RecordingObserver::captureRead(bool transferred) {
    {
        std::lock_guard lock(m_mutex);
        m_captures.push_back(transferred);
        record(transferred ? "R1" : "R0");
    }
    m_changed.notify_all();
}

void RecordingObserver::showMessage(const std::string& text, const std::string& caption) {
    std::unique_lock lock(m_mutex);
    m_messages.push_back({text, caption});
    record("M");
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_hold || m_stopping; });
}

void RecordingObserver::stopping() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
}

bool RecordingObserver::waitUntil(const std::function<bool(const RecordingObserver&)>& ready,
                                  std::chrono::milliseconds bound) const {
    // `ready` reads through the public accessors, which take the lock themselves; the version
    // taken before it runs makes sure that no event between the check and the wait is missed.
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        std::uint64_t version = 0;
        {
            std::lock_guard lock(m_mutex);
            version = m_version;
        }
        if (ready(*this)) {
            return true;
        }
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [&] { return m_version != version; })) {
            lock.unlock();
            return ready(*this);
        }
    }
}

bool RecordingObserver::waitForCaptures(int count, std::chrono::milliseconds bound) const {
    return waitUntil([count](const auto& o) { return o.captures().size() >= std::size_t(count); },
                     bound);
}

bool RecordingObserver::waitForMessages(int count, std::chrono::milliseconds bound) const {
    return waitUntil([count](const auto& o) { return o.messages().size() >= std::size_t(count); },
                     bound);
}

bool RecordingObserver::waitForPhase(int phase, int after, std::chrono::milliseconds bound) const {
    return waitUntil([phase, after](const auto& o) { return o.phaseCount(phase) > after; }, bound);
}

int RecordingObserver::phaseCount(int phase) const {
    std::lock_guard lock(m_mutex);
    return phase >= 0 && phase < 4 ? m_phaseCounts[phase] : 0;
}

std::vector<std::string> RecordingObserver::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<bool> RecordingObserver::captures() const {
    std::lock_guard lock(m_mutex);
    return m_captures;
}

std::vector<ObservedMessage> RecordingObserver::messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void RecordingObserver::holdMessages(bool hold) {
    {
        std::lock_guard lock(m_mutex);
        m_hold = hold;
    }
    m_changed.notify_all();
}

void RecordingObserver::onPhase(std::function<void(int)> hook) {
    std::lock_guard lock(m_mutex);
    m_phaseHook = std::move(hook);
}

void RecordingObserver::markStopped() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
}

int RecordingObserver::lateCalls() const {
    std::lock_guard lock(m_mutex);
    return m_lateCalls;
}

bool RecordingObserver::stoppingCalled() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

}  // namespace voltaris::test
