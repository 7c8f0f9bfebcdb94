// The diagnostic log's per-call logic.
#include "infra/Logger.h"

#include <optional>

#include <QDir>
#include <QStandardPaths>

#include "infra/LogFile.h"
#include "infra/LogFormat.h"

namespace voltaris {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}
#else
constexpr char kSeparator = '/';
bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && path.back() == '/';
}
#endif

}  // namespace

std::string DefaultLogFolder() {
#ifdef _WIN32
    return "c:\\";
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString();
#endif
}

std::string LogFilePath(std::string_view folder, std::string_view module) {
    std::string path(folder);
    if (!EndsWithSeparator(folder)) {
        path += kSeparator;
    }
    path += module;
    path += ".log";
    return path;
}

Logger::Logger(LogProfileStore store, Clock clock)
    : m_store(std::move(store)), m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] { return std::chrono::system_clock::now(); };
    }
}

void Logger::init(const char* processName) {
    {
        const std::lock_guard lock(m_nameMutex);
        m_processName = processName != nullptr ? processName : "";
    }
    m_enabled.store(m_store.readNumber(kLogProfileSection, "EnableLog", 0),
                    std::memory_order_release);
}

std::string Logger::processName() const {
    const std::lock_guard lock(m_nameMutex);
    return m_processName;
}

int Logger::write(const char* module, int level, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int result = message(module, level, format, args);
    va_end(args);
    return result;
}

int Logger::message(const char* module, int level, const char* format, std::va_list args) {
    if (!enabled()) {
        return 0;
    }
    const char* levelSwitch = LogLevelSwitch(level);
    if (levelSwitch == nullptr) {
        return 0;
    }
    // One fresh read of the configuration per call, so changes apply from the next line.
    const LogProfileSection config = m_store.open(kLogProfileSection);
    if (config.readNumber(levelSwitch, 0) == 0) {
        return 0;
    }
    const std::string name = processName();
    const std::string processFilter = config.readString("FiltProcess", "");
    if (!processFilter.empty() && name.find(processFilter) == std::string::npos) {
        return 0;
    }
    if (module == nullptr) {
        return -1;  // no file to name
    }
    const std::optional<std::string> configuredFolder = config.findString("PathLog");
    const std::string folder = configuredFolder ? *configuredFolder : DefaultLogFolder();
    const std::string path = LogFilePath(folder, module);

    std::string line = FormatLogHead(ToLocalLogTime(m_clock()), name, level);
    char text[kLogMessageSize];
    FormatLogMessage(text, format, args);
    const std::string messageFilter = config.readString("FiltMsg", "");
    if (!messageFilter.empty() && std::string_view(text).find(messageFilter) == std::string::npos) {
        return 0;
    }
    line += text;
    line += "\r\n";

    // The default folder is created on first use; a configured one must exist.
    if (!configuredFolder && !QDir().mkpath(QString::fromStdString(folder))) {
        return -1;
    }
    const std::optional<std::int64_t> length = AppendLogLine(path, line);
    if (!length) {
        return -1;
    }
    if (*length / 1000 <= config.readNumber("MaxSize", kLogDefaultSize)) {
        return 0;
    }
    const std::int64_t keep = std::int64_t{1000} * config.readNumber("ResetSize", kLogDefaultSize);
    return TrimLogFile(path, keep) ? 0 : -1;
}

}  // namespace voltaris
