// Diagnostic log: one appended line per call to <PathLog>/<module>.log, switched on and
// configured per user in the "Korvex/Tracekit" settings store. Safe to call from any thread
// and from several processes at once.
#pragma once

namespace voltaris {

enum LogLevel : int {
    LogCritic = 0,
    LogError = 1,
    LogWarn = 2,
    LogState = 3,
    LogEvent = 4,
    LogInfo = 5,
    LogDebug1 = 6,
    LogDebug2 = 7,
};

// Stores the process name printed in every line and reads the master switch EnableLog.
void LogInit(const char* processName);

// Formats and appends one line. Returns 0 when written or skipped by configuration, -1 when the
// log file could not be opened, written or trimmed (or stayed locked by another writer for about
// a second, in which case the line is dropped).
int LogMessage(const char* module, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace voltaris
