// Helper process for the concurrency tests, so that two processes use one log file at once.
//   log_writer_helper log <process name> <line count>
//     waits for the end of its standard input, then logs numbered lines through the
//     process-wide log;
//   log_writer_helper trim <log file> <bytes kept>
//     trims the file over and over until its standard input ends.
// The test releases and stops it by closing its standard input, which also ends when the test
// goes away. Exit status: 0 on success, the number of failed calls (at most 99), or 100+ on
// misuse.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "infra/Log.h"
#include "infra/LogFile.h"

namespace {

// Blocks until standard input ends.
void WaitForInputEnd() {
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
}

// True once standard input has ended; does not block.
bool InputEnded() {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    char byte = 0;
    return ::poll(&p, 1, 0) != 0 && ::read(STDIN_FILENO, &byte, 1) <= 0;
}

int Log(const char* name, int count) {
    WaitForInputEnd();
    const std::string padding(180, '#');
    voltaris::LogInit(name);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (voltaris::LogMessage("voltaris", voltaris::LogInfo, "%s n%06d %s", name, i,
                                 padding.c_str()) != 0) {
            ++failures;
        }
    }
    return failures > 99 ? 99 : failures;
}

int Trim(const std::string& path, long long keep) {
    while (!InputEnded()) {
        if (!voltaris::TrimLogFile(path, keep)) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "log") {
        return Log(argv[2], std::atoi(argv[3]));
    }
    if (argc == 4 && std::string(argv[1]) == "trim") {
        return Trim(argv[2], std::atoll(argv[3]));
    }
    std::fprintf(stderr, "usage: %s log <name> <count> | trim <file> <kept>\n", argv[0]);
    return 100;
}
