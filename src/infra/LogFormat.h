// Text of one log line: the timestamp, the process-name column, the level tag and the message
// formatted into its fixed-size buffer.
#pragma once

#include <chrono>
#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace voltaris {

inline constexpr int kLogLevelCount = 8;
// The formatted message holds at most 255 characters plus the terminator.
inline constexpr std::size_t kLogMessageSize = 256;

// Local calendar time of a call, as printed at the start of each line.
struct LogTime {
    int day = 1;      // 1-31
    int month = 1;    // 1-12
    int year = 1970;  // full year; the line prints it modulo 100
    int hour = 0;     // 0-23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

[[nodiscard]] LogTime ToLocalLogTime(std::chrono::system_clock::time_point when);

// 8-character tag printed for a level ("INFO    "), or nullptr for a level outside 0-7.
[[nodiscard]] const char* LogLevelTag(int level);

// Name of the setting that switches a level on ("LogInfo"), or nullptr outside 0-7.
[[nodiscard]] const char* LogLevelSwitch(int level);

// "dd/mm/yy hh:mm:ss,mmm <process name in 16 columns> <tag>": everything before the message.
// Empty for a level outside 0-7.
[[nodiscard]] std::string FormatLogHead(const LogTime& time, std::string_view processName,
                                        int level);

// printf-style formatting that never writes past the buffer: a longer message is cut at 255
// characters, and an encoding error leaves an empty message.
void FormatLogMessage(char (&buffer)[kLogMessageSize], const char* format, std::va_list args)
    __attribute__((format(printf, 2, 0)));

}  // namespace voltaris
