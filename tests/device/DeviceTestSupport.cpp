// Helpers of the device tests.
#include "DeviceTestSupport.h"

#include <QSettings>
#include <algorithm>
#include <cstring>
#include <fstream>

#include "infra/Log.h"
#include "support/TempDir.h"

namespace voltaris::test {

namespace {

constexpr const char* kProcessName = "VoltarisTest";

QSettings logSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
}

std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) {
        s.pop_back();
    }
    return s;
}

}  // namespace

void EnableFullLog(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    QSettings settings = logSettings();
    settings.clear();
    settings.setValue("EnableLog", 1);
    for (const char* level : {"LogCritic", "LogError", "LogWarn", "LogState", "LogEvent", "LogInfo",
                              "LogDebug1", "LogDebug2"}) {
        settings.setValue(level, 1);
    }
    settings.setValue("PathLog", QString::fromStdString(folder.string()));
    settings.sync();
}

void ClearLogSettings() {
    QSettings settings = logSettings();
    settings.clear();
    settings.sync();
}

std::vector<LogLine> ReadLogLines(const std::filesystem::path& folder,
                                  const std::string& processName) {
    // Head: date and time, a space, the process name in 16 columns, a space, an 8-column
    // level tag, then the message.
    const std::string head =
        processName + std::string(16 - std::min<std::size_t>(16, processName.size()), ' ') + " ";
    std::vector<LogLine> result;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() != ".log") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text;
        while (std::getline(in, text)) {
            const auto at = text.find(head);
            if (at == std::string::npos || text.size() < at + head.size() + 8) {
                continue;
            }
            const std::size_t tagAt = at + head.size();
            result.push_back({rtrim(text.substr(tagAt, 8)), rtrim(text.substr(tagAt + 8))});
        }
    }
    return result;
}

LogCapture::LogCapture() {
    static int serial = 0;
    m_folder = TestHome() / ("log" + std::to_string(++serial));
    EnableFullLog(m_folder);
    LogInit(kProcessName);
}

LogCapture::~LogCapture() {
    ClearLogSettings();
    LogInit(kProcessName);
}

std::vector<LogCapture::Line> LogCapture::lines() const {
    return ReadLogLines(m_folder, kProcessName);
}

std::vector<std::string> LogCapture::messages(const std::string& tag,
                                              const std::string& prefix) const {
    std::vector<std::string> result;
    for (const Line& line : lines()) {
        if (line.tag == tag && line.message.rfind(prefix, 0) == 0) {
            result.push_back(line.message);
        }
    }
    return result;
}

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
