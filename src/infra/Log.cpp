// Process-wide entry points of the diagnostic log.
#include "infra/Log.h"

#include <cstdarg>

#include "infra/Logger.h"

namespace voltaris {

namespace {

// The process's log state, built on first use and never destroyed, so that a thread still
// logging while the process exits finds it intact.
Logger& ProcessLogger() {
    static Logger* const logger = new Logger();
    return *logger;
}

}  // namespace

void LogInit(const char* processName) {
    ProcessLogger().init(processName);
}

int LogMessage(const char* module, int level, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int result = ProcessLogger().message(module, level, format, args);
    va_end(args);
    return result;
}

}  // namespace voltaris
