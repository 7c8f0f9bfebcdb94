// Helpers of the device tests.
#include "DeviceTestSupport.h"

#include <algorithm>
#include <cstring>

namespace voltaris::test {

PortIo RecordingPort::write(const void* data, std::size_t count) {
    const PortIo io = m_port.write(data, count);
    m_calls.push_back({PortCall::Write, count, io.bytes, io.ok});
    return io;
}

PortIo RecordingPort::read(void* buffer, std::size_t count) {
    const PortIo io = m_port.read(buffer, count);
    m_calls.push_back({PortCall::Read, count, io.bytes, io.ok});
    return io;
}

std::string RecordingPort::trace() const {
    std::string text;
    for (const PortCall& call : m_calls) {
        if (!text.empty()) {
            text += ' ';
        }
        text += call.kind == PortCall::Write ? "W" : "R" + std::to_string(call.moved);
    }
    return text;
}

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

}  // namespace voltaris::test
