// Shared set-up of the log tests: local time in UTC, and a fresh log folder and configuration for
// each test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QVariant>

namespace voltaris::test {

// Replaces the whole "Korvex/Tracekit" configuration with `values`.
void SetLogConfig(std::initializer_list<std::pair<QString, QVariant>> values);

[[nodiscard]] std::string ReadWholeFile(const std::string& path);
// Lines of a file split at "\r\n"; a last line without a line end is returned too.
[[nodiscard]] std::vector<std::string> ReadLogLines(const std::string& path);
[[nodiscard]] bool FileExists(const std::string& path);

// 07/12/26 07:14:38,123 (UTC; the test program runs with TZ=UTC).
[[nodiscard]] std::chrono::system_clock::time_point FixedLogTime();

// Each test gets an empty log folder and an empty configuration.
class LogFixture : public ::testing::Test {
protected:
    void SetUp() override;
    [[nodiscard]] std::string logPath() const { return m_dir + "/voltaris.log"; }
    // Logging switched on, PathLog set to this test's folder, plus `extra` values.
    void enableLog(std::initializer_list<std::pair<QString, QVariant>> extra = {});

    std::string m_dir;
};

}  // namespace voltaris::test
