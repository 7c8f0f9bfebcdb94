// Serial port doubles of the tests.
#include "support/PortDoubles.h"

#include <algorithm>
#include <cstring>

namespace voltaris::test {

// ---- RecordingPort ----

void RecordingPort::record(const PortCall& call) {
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
    }
    m_recorded.notify_all();
}

PortIo RecordingPort::write(const void* data, std::size_t count) {
    const PortIo io = m_port.write(data, count);
    record({PortCall::Write, count, io.bytes, io.ok});
    return io;
}

PortIo RecordingPort::read(void* buffer, std::size_t count) {
    const PortIo io = m_port.read(buffer, count);
    record({PortCall::Read, count, io.bytes, io.ok});
    return io;
}

std::vector<PortCall> RecordingPort::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<PortCall> RecordingPort::reads() const {
    std::vector<PortCall> reads = calls();
    std::erase_if(reads, [](const PortCall& c) { return c.kind != PortCall::Read; });
    return reads;
}

void RecordingPort::clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
}

std::string RecordingPort::trace() const {
    std::string text;
    for (const PortCall& call : calls()) {
        if (!text.empty()) {
            text += ' ';
        }
        text += call.kind == PortCall::Write ? "W" : "R" + std::to_string(call.moved);
    }
    return text;
}

int RecordingPort::emptyReads() const {
    const std::vector<PortCall> all = calls();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [](const PortCall& c) {
        return c.kind == PortCall::Read && c.moved == 0;
    }));
}

int RecordingPort::writes() const {
    const std::vector<PortCall> all = calls();
    return static_cast<int>(std::count_if(
        all.begin(), all.end(), [](const PortCall& c) { return c.kind == PortCall::Write; }));
}

bool RecordingPort::waitUntil(const std::function<bool(const std::vector<PortCall>&)>& ready,
                              std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_recorded.wait_for(lock, bound, [&] { return ready(m_calls); });
}

// ---- ScriptedPort ----

PortIo ScriptedPort::write(const void* data, std::size_t count) {
    written.emplace_back(static_cast<const char*>(data), count);
    if (writeResults.empty()) {
        return {true, count, 0};
    }
    const PortIo io = writeResults.front();
    writeResults.pop_front();
    return io;
}

PortIo ScriptedPort::read(void* buffer, std::size_t count) {
    readSizes.push_back(count);
    if (readResults.empty()) {
        return {true, 0, 0};
    }
    Read& front = readResults.front();
    Read next = front;
    next.bytes.resize(std::min(front.bytes.size(), count));
    if (next.bytes.size() < front.bytes.size()) {
        // The rest of the entry waits for the next read, as unread bytes of a line do.
        front.bytes.erase(0, next.bytes.size());
        front.ok = true;
        front.error = 0;
    } else {
        readResults.pop_front();
    }
    std::memcpy(buffer, next.bytes.data(), next.bytes.size());
    return {next.ok, next.bytes.size(), next.error};
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

bool ScriptedMeterPort::linkLost() const {
    std::lock_guard lock(m_mutex);
    return false;
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
