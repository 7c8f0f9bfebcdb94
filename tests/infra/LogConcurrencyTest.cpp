// Two threads, and two processes, using one log file at once: every line whole, none lost, and
// a trim running beside the writers never drops a line that it should keep.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "infra/LogFile.h"
#include "infra/LogFixture.h"
#include "infra/Logger.h"
#include "support/ChildProcess.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

const std::string kPadding(180, '#');

struct HelperLine {
    std::string process;
    std::string tag;
    int number = -1;
};

// Parses "dd/mm/yy hh:mm:ss,mmm <name column> INFO    <tag> n<6 digits> <padding>" exactly.
std::optional<HelperLine> ParseHelperLine(const std::string& line) {
    const std::string_view stampShape = "dd/dd/dd dd:dd:dd,ddd ";
    if (line.size() < 47 || line.compare(38, 9, " INFO    ") != 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < stampShape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (stampShape[i] == 'd' ? !digit : line[i] != stampShape[i]) {
            return std::nullopt;
        }
    }
    HelperLine parsed;
    parsed.process = line.substr(22, 16);
    parsed.process.erase(parsed.process.find_last_not_of(' ') + 1);
    const std::size_t tagEnd = line.find(' ', 47);
    if (tagEnd == std::string::npos || line.size() != tagEnd + 9 + kPadding.size() ||
        line[tagEnd + 1] != 'n' || line[tagEnd + 8] != ' ' ||
        line.compare(tagEnd + 9, std::string::npos, kPadding) != 0) {
        return std::nullopt;
    }
    parsed.tag = line.substr(47, tagEnd - 47);
    const std::string digits = line.substr(tagEnd + 2, 6);
    if (digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    parsed.number = std::stoi(digits);
    return parsed;
}

// Line numbers found per writer tag (the message's first word); fails the test on any line that
// is not whole. Helper processes use their process name as tag, so there the two must agree.
std::map<std::string, std::vector<int>> NumbersByWriter(const std::string& path,
                                                        bool tagIsProcessName) {
    std::map<std::string, std::vector<int>> numbers;
    for (const std::string& line : test::LogFileLines(path)) {
        const std::optional<HelperLine> parsed = ParseHelperLine(line);
        if (!parsed || (tagIsProcessName && parsed->process != parsed->tag)) {
            ADD_FAILURE() << "broken line: " << line.substr(0, 80);
            continue;
        }
        numbers[parsed->tag].push_back(parsed->number);
    }
    return numbers;
}

// A writer's lines in the file, oldest first: all of them in order when nothing was trimmed,
// otherwise a run without gaps that ends with its last line.
void ExpectNewestRun(const std::vector<int>& numbers, int count, bool complete) {
    ASSERT_FALSE(numbers.empty());
    if (complete) {
        ASSERT_EQ(numbers.size(), static_cast<std::size_t>(count));
    }
    EXPECT_EQ(numbers.back(), count - 1);
    for (std::size_t i = 1; i < numbers.size(); ++i) {
        ASSERT_EQ(numbers[i], numbers[i - 1] + 1) << "gap or disorder at index " << i;
    }
}

// Plain numbered lines for the trimming races: "n000042 ####...".
std::string NumberedLine(int number) {
    char line[128];
    std::snprintf(line, sizeof line, "n%06d %s\r\n", number, std::string(60, '#').c_str());
    return line;
}

// Appends `count` numbered lines while something else trims the file, then checks that the
// file holds the newest lines, each whole, without a gap.
void AppendWhileTrimmed(const std::string& path, int count) {
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(AppendLogLine(path, NumberedLine(i)).has_value());
    }
}

void ExpectNewestNumberedLines(const std::string& path, int count) {
    const std::string text = test::ReadFile(path);
    ASSERT_FALSE(text.empty());
    const std::size_t lineSize = NumberedLine(0).size();
    ASSERT_EQ(text.size() % lineSize, 0u) << "partial line in the file";
    const int kept = static_cast<int>(text.size() / lineSize);
    for (int i = 0; i < kept; ++i) {
        ASSERT_EQ(text.substr(static_cast<std::size_t>(i) * lineSize, lineSize),
                  NumberedLine(count - kept + i))
            << "line " << i << " of " << kept;
    }
}

// Runs two helper processes logging `count` lines each, released at the same moment.
void RunTwoWriters(int count) {
    test::ChildProcess first(VOLTARIS_LOG_WRITER_HELPER, {"log", "WriterA", std::to_string(count)});
    test::ChildProcess second(VOLTARIS_LOG_WRITER_HELPER,
                              {"log", "WriterB", std::to_string(count)});
    first.closeInput();
    second.closeInput();
    EXPECT_EQ(first.wait(120s), 0);
    EXPECT_EQ(second.wait(120s), 0);
}

class LogConcurrencyTest : public test::LogFixture {};

TEST_F(LogConcurrencyTest, TwoThreadsSharingTheLogLoseAndMixNothing) {
    enableLog({{"LogInfo", 1}});
    Logger logger;
    logger.init("Shared");
    constexpr int kCount = 300;
    std::atomic<int> failures{0};
    auto writer = [&](const char* tag) {
        for (int i = 0; i < kCount; ++i) {
            if (logger.write("voltaris", LogInfo, "%s n%06d %s", tag, i, kPadding.c_str()) != 0) {
                ++failures;
            }
        }
    };
    std::thread a(writer, "ThreadA");
    std::thread b(writer, "ThreadB");
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    const auto numbers = NumbersByWriter(logPath(), false);
    ASSERT_EQ(numbers.size(), 2u);
    ExpectNewestRun(numbers.at("ThreadA"), kCount, true);
    ExpectNewestRun(numbers.at("ThreadB"), kCount, true);
}

TEST_F(LogConcurrencyTest, RenamingWhileAnotherThreadLogsIsSafe) {
    enableLog({{"LogInfo", 1}});
    Logger logger;
    logger.init("NameA");
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) {
            logger.write("voltaris", LogInfo, "line %d", i);
        }
        done = true;
    });
    for (int i = 0; !done; ++i) {
        logger.init(i % 2 == 0 ? "NameB" : "NameA");
    }
    writer.join();
    const auto lines = test::LogFileLines(logPath());
    EXPECT_EQ(lines.size(), 200u);
    for (const std::string& line : lines) {
        const std::string name = line.substr(22, 17);
        EXPECT_TRUE(name == "NameA            " || name == "NameB            ") << line;
    }
}

TEST_F(LogConcurrencyTest, TrimInAnotherThreadKeepsEveryNewLine) {
    constexpr int kCount = 3000;
    std::atomic<bool> done{false};
    std::atomic<int> trimFailures{0};
    std::thread trimmer([&] {
        while (!done) {
            if (!TrimLogFile(logPath(), 20'000)) {
                ++trimFailures;
            }
        }
    });
    AppendWhileTrimmed(logPath(), kCount);
    done = true;
    trimmer.join();
    EXPECT_EQ(trimFailures.load(), 0);
    ExpectNewestNumberedLines(logPath(), kCount);
}

TEST_F(LogConcurrencyTest, TwoProcessesLoseAndMixNothing) {
    enableLog({{"LogInfo", 1}});
    constexpr int kCount = 400;
    RunTwoWriters(kCount);
    const auto numbers = NumbersByWriter(logPath(), true);
    ASSERT_EQ(numbers.size(), 2u);
    ExpectNewestRun(numbers.at("WriterA"), kCount, true);
    ExpectNewestRun(numbers.at("WriterB"), kCount, true);
}

TEST_F(LogConcurrencyTest, TrimInAnotherProcessKeepsEveryNewLine) {
    constexpr int kCount = 3000;
    test::ChildProcess trimmer(VOLTARIS_LOG_WRITER_HELPER, {"trim", logPath(), "20000"});
    AppendWhileTrimmed(logPath(), kCount);
    trimmer.closeInput();
    EXPECT_EQ(trimmer.wait(60s), 0);
    ExpectNewestNumberedLines(logPath(), kCount);
}

TEST_F(LogConcurrencyTest, TwoProcessesTrimmingKeepWholeNewestLines) {
    // Lines of 245 bytes: the file passes 21 000 bytes and is cut to 10 000 every 45 lines or so.
    enableLog({{"LogInfo", 1}, {"MaxSize", 20}, {"ResetSize", 10}});
    constexpr int kCount = 600;
    RunTwoWriters(kCount);
    EXPECT_LT(std::filesystem::file_size(logPath()), 21'000u);
    // A writer that finished first may have had all its lines cut since; whatever is left of
    // each writer is its newest lines, whole and without a gap.
    const auto numbers = NumbersByWriter(logPath(), true);
    ASSERT_FALSE(numbers.empty());
    for (const auto& [writer, numbersOfWriter] : numbers) {
        SCOPED_TRACE(writer);
        ExpectNewestRun(numbersOfWriter, kCount, false);
    }
}

}  // namespace
}  // namespace voltaris
