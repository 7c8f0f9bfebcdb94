// Shared set-up of the log tests: local time in UTC, a fresh log folder and configuration for
// each test, and log files read back line by line.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace voltaris::test {

// Lines of a file split at "\r\n"; a last line without a line end is returned too.
[[nodiscard]] inline std::vector<std::string> LogFileLines(const std::string& path) {
    const std::string text = ReadFile(path);
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find("\r\n", begin);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            break;
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    return lines;
}

// 07/12/26 07:14:38,123 (UTC, as the log tests run).
[[nodiscard]] inline std::chrono::system_clock::time_point FixedLogTime() {
    using namespace std::chrono;
    return sys_days{year{2026} / December / 7} + hours{7} + minutes{14} + seconds{38} +
           milliseconds{123};
}

// Log lines carry local time; the log tests fix it to UTC before the first of them runs.
class UtcTime : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};
inline ::testing::Environment* const kUtcTime = ::testing::AddGlobalTestEnvironment(new UtcTime);

// Each test gets an empty log folder and an empty configuration.
class LogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = TestHome().string() + "/logs/" + info->test_suite_name() + "." + info->name();
        std::filesystem::remove_all(m_dir);  // left by an earlier repetition
        std::filesystem::create_directories(m_dir);
        SetLogConfig({});
    }
    [[nodiscard]] std::string logPath() const { return m_dir + "/voltaris.log"; }
    // Logging switched on, PathLog set to this test's folder, plus `extra` values.
    void enableLog(std::vector<std::pair<QString, QVariant>> extra = {}) {
        extra.insert(extra.begin(), {{"EnableLog", 1}, {"PathLog", QString::fromStdString(m_dir)}});
        SetLogConfig(extra);
    }

    std::string m_dir;
};

}  // namespace voltaris::test
