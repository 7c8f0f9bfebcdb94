// voltaris-cli capture --log as a process in demonstration mode: the log read while the run goes
// on, after kill -9, after SIGINT and SIGTERM, appended to by a second run, a full disk, and the
// files refused before any capture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Fields = std::vector<std::string>;

// A line split at `separator`, quoted fields unquoted.
Fields split(const std::string& line, char separator) {
    Fields fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (c == '"' && quoted && k + 1 < line.size() && line[k + 1] == '"') {
            fields.back() += c;
            ++k;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// What a log holds: each line split, after checking that every line is whole (ends with its line
// end and has the header's number of fields).
struct LogContents {
    std::vector<Fields> lines;  // the header first
    bool whole = true;
};

LogContents readLog(const std::string& path, char separator) {
    const std::string text = test::ReadFile(path);
    LogContents log;
    log.whole = !text.empty() && text.back() == '\n';
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        log.lines.push_back(split(text.substr(start, end - start), separator));
        log.whole = log.whole && log.lines.back().size() == log.lines.front().size();
    }
    return log;
}

// The capture numbers of the lines after the header.
std::vector<int> numbers(const LogContents& log) {
    std::vector<int> found;
    for (std::size_t k = 1; k < log.lines.size(); ++k) {
        found.push_back(std::stoi(log.lines[k].at(1)));
    }
    return found;
}

std::vector<int> oneTo(int n) {
    std::vector<int> v;
    for (int k = 1; k <= n; ++k) {
        v.push_back(k);
    }
    return v;
}

class CaptureLog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    std::vector<std::string> args(const std::string& log, const Fields& more) const {
        std::vector<std::string> all{"capture", "--demo", "--periods", "1", "--log", log,
                                     "--dev-root", m_dir.file("dev"), "--sys-root",
                                     m_dir.file("sys")};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    }
    test::ProgramRun run(const std::string& log, const Fields& more) const {
        return test::RunProgram(VOLTARIS_CLI_PROGRAM, args(log, more), m_environment);
    }
    // Waits until the running log holds `lines` captures, reading the child's output meanwhile so
    // that it never blocks on a full pipe.
    ::testing::AssertionResult waitForLines(test::ChildProcess& child, const std::string& log,
                                            std::size_t lines) const {
        return test::WaitFor("captures in the log", [&] {
            (void)child.readToEnd(20ms);
            const LogContents now = readLog(log, ',');
            EXPECT_TRUE(now.lines.empty() || now.whole);  // never half a line, even while written
            return now.lines.size() > lines;
        });
    }

    test::TempDir m_dir;
    // A fixed zone an hour east of UTC, as the time stamps' offset says.
    test::Environment m_environment{{{"TZ", "UTC-1"}}, {"VOLTARIS_PORTS"}};
};

// Every scalar of the JSON lines is a column, with the value the JSON has, after the local time
// stamp and the capture's number; a second run appends with its own numbers and later stamps.
TEST_F(CaptureLog, RunsAppendWholeLinesOfEveryScalar) {
    const struct {
        const char* name;
        char separator;
    } cases[] = {{"log.csv", ','}, {"log.tsv", '\t'}, {"LOG.TXT", '\t'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.file(c.name);
        test::ProgramRun first = run(path, {"--count", "2"});
        ASSERT_EQ(first.exitCode, 0) << first.err;
        const test::ProgramRun second = run(path, {"--count", "3"});
        ASSERT_EQ(second.exitCode, 0) << second.err;
        const LogContents log = readLog(path, c.separator);
        ASSERT_TRUE(log.whole);
        ASSERT_EQ(log.lines.size(), 6u);
        const Fields& header = log.lines.front();
        EXPECT_EQ(numbers(log), (std::vector<int>{1, 2, 1, 2, 3}));
        const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\+01:00$)");
        for (std::size_t k = 1; k < log.lines.size(); ++k) {
            EXPECT_TRUE(stamp.match(QString::fromStdString(log.lines[k][0])).hasMatch());
            if (k > 1) {
                EXPECT_LE(log.lines[k - 1][0], log.lines[k][0]) << k;  // one offset: text order
            }
        }
        EXPECT_LT(log.lines[2][0], log.lines[3][0]);

        const QByteArray out = QByteArray::fromStdString(second.out);
        const QList<QByteArray> json = out.trimmed().split('\n');
        ASSERT_EQ(json.size(), 3);
        std::set<std::string> scalars;
        for (int k = 0; k < 3; ++k) {
            const QJsonObject o = QJsonDocument::fromJson(json[k]).object();
            const Fields& line = log.lines[3 + k];
            for (auto it = o.begin(); it != o.end(); ++it) {
                const bool nested = it->isObject();
                const QJsonObject inner = nested ? it->toObject() : QJsonObject{{"", *it}};
                for (auto jt = inner.begin(); jt != inner.end(); ++jt) {
                    const std::string name =
                        (it.key() + (nested ? "." + jt.key() : QString())).toStdString();
                    // Of the limit check, the log has its class and verdict.
                    if (!(jt->isDouble() || jt->isString()) || name == "limits.mode") {
                        continue;
                    }
                    scalars.insert(name);
                    const auto column = std::find(header.begin(), header.end(), name);
                    ASSERT_NE(column, header.end()) << name;
                    const std::string& value = line[column - header.begin()];
                    if (jt->isDouble()) {
                        EXPECT_EQ(std::stod(value), jt->toDouble()) << name;
                        EXPECT_EQ(value.find(','), std::string::npos) << name;
                    } else {
                        EXPECT_EQ(value, jt->toString().toStdString()) << name;
                    }
                }
            }
        }
        EXPECT_EQ(Fields(header.begin(), header.begin() + 2), (Fields{"time", "capture"}));
        EXPECT_EQ(std::set<std::string>(header.begin() + 2, header.end()), scalars);
    }
}

// The log is read by another process while the run goes on; kill -9 leaves every line of a
// completed capture whole on disk, numbered without a gap.
TEST_F(CaptureLog, KillLeavesEveryCompletedLineWhole) {
    const std::string path = m_dir.file("kill.csv");
    test::ChildProcess child(VOLTARIS_CLI_PROGRAM, args(path, {"--count", "0"}), m_environment);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(waitForLines(child, path, 8));
    child.signal(SIGKILL);
    ASSERT_EQ(child.wait(), 128 + SIGKILL);
    const LogContents log = readLog(path, ',');
    EXPECT_TRUE(log.whole);
    EXPECT_GE(log.lines.size(), 9u);
    EXPECT_EQ(numbers(log), oneTo(static_cast<int>(log.lines.size()) - 1));
}

// SIGINT and SIGTERM end a run, until stopped or of K captures, with exit 0 and a whole log that
// holds every capture printed.
TEST_F(CaptureLog, StopSignalsEndTheRunCleanly) {
    const struct {
        int signal;
        const char* count;
    } cases[] = {{SIGINT, "0"}, {SIGTERM, "0"}, {SIGINT, "1000000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " --count " + c.count);
        const std::string path = m_dir.file(std::string("stop-") + c.count +
                                            std::to_string(c.signal) + ".csv");
        test::ChildProcess child(VOLTARIS_CLI_PROGRAM, args(path, {"--count", c.count}),
                                 m_environment);
        ASSERT_TRUE(waitForLines(child, path, 3));
        child.signal(c.signal);
        EXPECT_EQ(child.wait(test::kWaitBound), 0);
        ASSERT_TRUE(child.readToEnd(5s));
        const LogContents log = readLog(path, ',');
        EXPECT_TRUE(log.whole);
        const auto printed = std::count(child.out().begin(), child.out().end(), '\n');
        EXPECT_EQ(numbers(log), oneTo(static_cast<int>(printed)));
    }
}

// Refused before any capture, with a message naming the problem; the file is left as it was.
TEST_F(CaptureLog, UnusableFilesAreRefusedUpFront) {
    const std::string other = m_dir.file("other.csv");
    std::ofstream(other) << "time,Vrms\n2026-01-01T00:00:00.000+01:00,230\n";
    ASSERT_EQ(::mkdir(m_dir.file("folder.csv").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(m_dir.file("fifo.csv").c_str(), 0644), 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {other, other + ": its columns differ from the capture log's"},
        {m_dir.file("log.json"), "--log needs a file ending in .csv, .tsv or .txt"},
        {m_dir.file("log"), "--log needs a file ending in .csv, .tsv or .txt"},
        {m_dir.file("missing/log.csv"), "missing/log.csv: No such file or directory"},
        {m_dir.file("folder.csv"), "folder.csv: Is a directory"},
        {m_dir.file("fifo.csv"), "fifo.csv: not a regular file"},
    };
    const std::string before = test::ReadFile(other);
    for (const auto& c : cases) {
        const test::ProgramRun r = run(c.path, {"--count", "0"});
        EXPECT_EQ(r.exitCode, 2) << c.path;
        EXPECT_TRUE(r.out.empty()) << c.path;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadFile(other), before);
}

// A write that fails (a file size limit, as a full disk) ends the run with exit 2 and the
// message; the lines written before stay, and nothing of the failed one.
TEST_F(CaptureLog, FailedWriteEndsTheRunAndKeepsTheWholeLines) {
    const std::string path = m_dir.file("full.csv");
    std::vector<std::string> shell{"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"",
                                   VOLTARIS_CLI_PROGRAM};
    const std::vector<std::string> cli = args(path, {"--count", "0"});
    shell.insert(shell.end(), cli.begin(), cli.end());
    const test::ProgramRun r = test::RunProgram("/bin/sh", shell, m_environment);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("the capture log could not be written"), std::string::npos) << r.err;
    const LogContents log = readLog(path, ',');
    EXPECT_TRUE(log.whole);
    EXPECT_GE(log.lines.size(), 3u);
    EXPECT_EQ(numbers(log), oneTo(static_cast<int>(log.lines.size()) - 1));
    EXPECT_LE(test::ReadFile(path).size(), 8u * 512);
}

}  // namespace
}  // namespace voltaris
