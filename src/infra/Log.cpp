// Placeholder until the log is written: every call is skipped.
#include "infra/Log.h"

namespace voltaris {

void LogInit(const char*) {}

int LogMessage(const char*, int, const char*, ...) { return 0; }

}  // namespace voltaris
