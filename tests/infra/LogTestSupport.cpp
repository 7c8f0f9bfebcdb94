// Shared set-up of the log tests.
#include "infra/LogTestSupport.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <QSettings>

#include "support/TempDir.h"

namespace voltaris::test {

namespace {

// Log lines carry local time; the tests fix it to UTC.
class UtcEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new UtcEnvironment);

}  // namespace

void SetLogConfig(std::initializer_list<std::pair<QString, QVariant>> values) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
    settings.clear();
    for (const auto& [name, value] : values) {
        settings.setValue(name, value);
    }
    settings.sync();
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> ReadLogLines(const std::string& path) {
    const std::string text = ReadWholeFile(path);
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

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::chrono::system_clock::time_point FixedLogTime() {
    using namespace std::chrono;
    return sys_days{year{2026} / December / 7} + hours{7} + minutes{14} + seconds{38} +
           milliseconds{123};
}

void LogFixture::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = TestHome().string() + "/logs/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(m_dir);  // left by an earlier repetition
    std::filesystem::create_directories(m_dir);
    SetLogConfig({});
}

void LogFixture::enableLog(std::initializer_list<std::pair<QString, QVariant>> extra) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
    settings.clear();
    settings.setValue("EnableLog", 1);
    settings.setValue("PathLog", QString::fromStdString(m_dir));
    for (const auto& [name, value] : extra) {
        settings.setValue(name, value);
    }
    settings.sync();
}

}  // namespace voltaris::test
