// Helpers of the acquisition tests.
#include "AcqTestSupport.h"

#include <algorithm>

namespace voltaris::test {

// ---- RecordingObserver ----

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

// ---- SimMeter ----

SimMeter::SimMeter(sim::Config config) : sim(std::move(config)) {}

bool SimMeter::open() {
    if (!sim.start()) {
        return false;
    }
    port = OpenPort(sim.portPath());
    return port != nullptr;
}

std::vector<std::string> SimMeter::framesFrom(std::size_t from) const {
    std::vector<std::string> frames = sim.receivedFrames();
    frames.erase(frames.begin(),
                 frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())));
    return frames;
}

// ---- ScriptedMeterPort ----

PortIo ScriptedMeterPort::write(const void* data, std::size_t count) {
    const std::string command(static_cast<const char*>(data), count);
    const std::string reply = m_handler(command);
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
        m_pending.insert(m_pending.end(), reply.begin(), reply.end());
    }
    m_changed.notify_all();
    return {true, count, 0};
}

PortIo ScriptedMeterPort::read(void* buffer, std::size_t count) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_holdReads; });
    const std::size_t n = std::min(count, m_pending.size());
    std::copy_n(m_pending.begin(), n, static_cast<char*>(buffer));
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
    return {true, n, 0};
}

std::vector<std::string> ScriptedMeterPort::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::size_t ScriptedMeterPort::count(const std::string& command) const {
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count(m_commands.begin(), m_commands.end(), command));
}

bool ScriptedMeterPort::waitForCommand(const std::string& command, std::size_t times,
                                       std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] {
        return static_cast<std::size_t>(
                   std::count(m_commands.begin(), m_commands.end(), command)) >= times;
    });
}

void ScriptedMeterPort::holdReads(bool hold) {
    {
        std::lock_guard lock(m_mutex);
        m_holdReads = hold;
    }
    m_changed.notify_all();
}

std::string StatusReply(char letter, std::size_t length) {
    std::string reply = "<00000000" + std::string(1, letter) + "00000002" + "0000>";
    if (length < reply.size()) {
        reply.erase(length - 1, reply.size() - length);  // keeps the closing '>'
    } else {
        reply.insert(reply.size() - 1, length - reply.size(), '0');
    }
    return reply;
}

}  // namespace voltaris::test
