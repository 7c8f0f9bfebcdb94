// Text of one log line: timestamp, process-name column, level tag and message.
#include "infra/LogFormat.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace voltaris {

namespace {

struct LevelNames {
    const char* tag;
    const char* settingName;
};

constexpr std::array<LevelNames, kLogLevelCount> kLevels{{
    {"CRITIC  ", "LogCritic"},
    {"ERROR   ", "LogError"},
    {"WARNING ", "LogWarn"},
    {"STATE   ", "LogState"},
    {"EVENT   ", "LogEvent"},
    {"INFO    ", "LogInfo"},
    {"DEBUG1  ", "LogDebug1"},
    {"DEBUG2  ", "LogDebug2"},
}};

bool IsLevel(int level) {
    return level >= 0 && level < kLogLevelCount;
}

}  // namespace

LogTime ToLocalLogTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(when);
    const std::time_t t = system_clock::to_time_t(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    LogTime out;
    out.day = local.tm_mday;
    out.month = local.tm_mon + 1;
    out.year = local.tm_year + 1900;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    out.millisecond = static_cast<int>(duration_cast<milliseconds>(when - seconds).count());
    return out;
}

const char* LogLevelTag(int level) {
    return IsLevel(level) ? kLevels[level].tag : nullptr;
}

const char* LogLevelSwitch(int level) {
    return IsLevel(level) ? kLevels[level].settingName : nullptr;
}

std::string FormatLogHead(const LogTime& time, std::string_view processName, int level) {
    if (!IsLevel(level)) {
        return {};
    }
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%2.2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d,%3.3d", time.day,
                  time.month, time.year % 100, time.hour, time.minute, time.second,
                  time.millisecond);
    const std::string name(processName);  // %s needs a terminated string
    char head[128];
    std::snprintf(head, sizeof head, "%s %-16.16s ", stamp, name.c_str());
    return std::string(head) + kLevels[level].tag;
}

void FormatLogMessage(char (&buffer)[kLogMessageSize], const char* format, std::va_list args) {
    if (format == nullptr || std::vsnprintf(buffer, sizeof buffer, format, args) < 0) {
        buffer[0] = '\0';
    }
}

}  // namespace voltaris
