// Helper process for the concurrency tests, so that two processes use one log file at once.
//   log_writer_helper log <process name> <line count> <start file>
//     waits for the start file, then logs numbered lines through the process-wide log;
//   log_writer_helper trim <log file> <bytes kept> <stop file>
//     trims the file over and over until the stop file exists.
// Exit status: 0 on success, the number of failed calls (at most 99), or 100+ on misuse.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "infra/Log.h"
#include "infra/LogFile.h"

namespace {

bool WaitForFile(const char* path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int Log(const char* name, int count, const char* startFile) {
    if (!WaitForFile(startFile)) {
        return 101;
    }
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

int Trim(const std::string& path, long long keep, const char* stopFile) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(stopFile)) {
        if (!voltaris::TrimLogFile(path, keep) || std::chrono::steady_clock::now() > deadline) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "log") {
        return Log(argv[2], std::atoi(argv[3]), argv[4]);
    }
    if (argc == 5 && std::string(argv[1]) == "trim") {
        return Trim(argv[2], std::atoll(argv[3]), argv[4]);
    }
    std::fprintf(stderr, "usage: %s log <name> <count> <start file> | trim <file> <kept> <stop>\n",
                 argv[0]);
    return 100;
}
