// Switching the diagnostic log on for a test and reading back what was logged.
#include "support/LogCapture.h"

#include <QSettings>
#include <algorithm>
#include <fstream>

#include "infra/Log.h"
#include "support/TempDir.h"

namespace voltaris::test {

namespace {

std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) {
        s.pop_back();
    }
    return s;
}

}  // namespace

void SetLogConfig(const std::vector<std::pair<QString, QVariant>>& values) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
    settings.clear();
    for (const auto& [name, value] : values) {
        settings.setValue(name, value);
    }
    settings.sync();
}

void EnableFullLog(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::vector<std::pair<QString, QVariant>> values = {
        {"EnableLog", 1}, {"PathLog", QString::fromStdString(folder.string())}};
    for (const char* level : {"LogCritic", "LogError", "LogWarn", "LogState", "LogEvent", "LogInfo",
                              "LogDebug1", "LogDebug2"}) {
        values.emplace_back(level, 1);
    }
    SetLogConfig(values);
}

void ClearLogSettings() {
    SetLogConfig({});
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

LogCapture::LogCapture(std::string processName) : m_process(std::move(processName)) {
    static int serial = 0;
    m_folder = TestHome() / ("log" + std::to_string(++serial));
    EnableFullLog(m_folder);
    LogInit(m_process.c_str());
}

LogCapture::~LogCapture() {
    ClearLogSettings();
    LogInit(m_process.c_str());
}

std::vector<LogLine> LogCapture::lines() const {
    return ReadLogLines(m_folder, m_process);
}

std::vector<std::string> LogCapture::messages(const std::string& tag,
                                              const std::string& prefix) const {
    std::vector<std::string> result;
    for (const LogLine& line : lines()) {
        if (line.tag == tag && line.message.rfind(prefix, 0) == 0) {
            result.push_back(line.message);
        }
    }
    return result;
}

int LogCapture::count(const std::string& tag, const std::string& message) const {
    const std::vector<std::string> all = messages(tag, message);
    return static_cast<int>(std::count(all.begin(), all.end(), message));
}

}  // namespace voltaris::test
