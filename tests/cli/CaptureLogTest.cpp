// voltaris-cli capture --log as a process in demonstration mode: the log read while the run goes
// on, after kill -9, after SIGINT and SIGTERM, appended to by a second run, a full disk, and the
// files refused before any capture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Fields = std::vector<std::string>;

// A line split at `separator` (the demonstration's texts need no quotes).
Fields split(const std::string& line, char separator) {
    Fields fields(1);
    for (const char c : line) {
        c == separator ? (void)fields.emplace_back() : (void)(fields.back() += c);
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

// True when the lines after the header are numbered 1, 2, ... `count` (any count when -1).
bool numberedFromOne(const LogContents& log, long count = -1) {
    for (std::size_t k = 1; k < log.lines.size(); ++k) {
        if (log.lines[k].at(1) != std::to_string(k)) {
            return false;
        }
    }
    return count < 0 || static_cast<long>(log.lines.size()) == count + 1;
}

using Scalars = std::map<std::string, QJsonValue>;

// The numbers and strings of a capture's JSON outside arrays, nested ones as "object.key".
Scalars scalarsOf(const QJsonObject& o, const QString& prefix = {}) {
    Scalars found;
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it->isObject()) {
            found.merge(scalarsOf(it->toObject(), it.key() + "."));
        } else if (it->isDouble() || it->isString()) {
            found[(prefix + it.key()).toStdString()] = *it;
        }
    }
    return found;
}

class CaptureLog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    std::vector<std::string> args(const std::string& log, const Fields& more) const {
        std::vector<std::string> all{
            "capture", "--demo",     "--periods",       "1",          "--log",
            log,       "--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys")};
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
            // The header first and never half a line, even while the run writes.
            EXPECT_TRUE(now.lines.empty() || (now.whole && now.lines[0][0] == "time"));
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
    for (const auto& [name, separator] :
         {std::pair{"log.csv", ','}, std::pair{"log.tsv", '\t'}, std::pair{"LOG.TXT", '\t'}}) {
        SCOPED_TRACE(name);
        const std::string path = m_dir.file(name);
        const test::ProgramRun first = run(path, {"--count", "2"});
        ASSERT_EQ(first.exitCode, 0) << first.err;
        const test::ProgramRun second = run(path, {"--count", "3"});
        ASSERT_EQ(second.exitCode, 0) << second.err;
        const LogContents log = readLog(path, separator);
        ASSERT_TRUE(log.whole);
        ASSERT_EQ(log.lines.size(), 6u);
        const Fields& header = log.lines.front();
        EXPECT_EQ(Fields(header.begin(), header.begin() + 2), (Fields{"time", "capture"}));
        const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\+01:00$)");
        std::string order;
        for (std::size_t k = 1; k < log.lines.size(); ++k) {
            order += log.lines[k][1];
            EXPECT_TRUE(stamp.match(QString::fromStdString(log.lines[k][0])).hasMatch());
            // One offset: the text order is the time order.
            EXPECT_TRUE(k == 1 || log.lines[k - 1][0] <= log.lines[k][0]) << k;
        }
        EXPECT_EQ(order, "12123");
        EXPECT_LT(log.lines[2][0], log.lines[3][0]);

        // The last line against the last JSON line printed.
        const QByteArray json = QByteArray::fromStdString(second.out).trimmed().split('\n').last();
        Scalars scalars = scalarsOf(QJsonDocument::fromJson(json).object());
        scalars.erase("limits.mode");  // of the limit check, the log has its class and verdict
        Scalars logged;
        for (std::size_t c = 2; c < header.size(); ++c) {
            const auto inJson = scalars.find(header[c]);
            const std::string& v = log.lines.back()[c];
            logged[header[c]] = inJson != scalars.end() && inJson->second.isDouble()
                                    ? QJsonValue(std::stod(v))
                                    : QJsonValue(QString::fromStdString(v));
        }
        EXPECT_EQ(logged, scalars);
    }
}

// The log is read by another process while the run goes on. kill -9 leaves every line of a
// completed capture whole on disk; SIGINT and SIGTERM end a run, until stopped or of K captures,
// with exit 0 and a whole log that holds every capture printed.
TEST_F(CaptureLog, SignalsLeaveWholeNumberedLines) {
    const struct {
        int signal;
        const char* count;
        int exitCode;
    } cases[] = {
        {SIGKILL, "0", 128 + SIGKILL}, {SIGINT, "0", 0}, {SIGTERM, "0", 0}, {SIGINT, "1000000", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " --count " + c.count);
        const std::string path = m_dir.file(std::to_string(c.signal) + "-" + c.count + ".csv");
        test::ChildProcess child(VOLTARIS_CLI_PROGRAM, args(path, {"--count", c.count}),
                                 m_environment);
        ASSERT_TRUE(waitForLines(child, path, 5));
        child.signal(c.signal);
        EXPECT_EQ(child.wait(test::kWaitBound), c.exitCode);
        ASSERT_TRUE(child.readToEnd(5s));
        const LogContents log = readLog(path, ',');
        EXPECT_TRUE(log.whole);
        EXPECT_GE(log.lines.size(), 6u);
        const long printed = std::count(child.out().begin(), child.out().end(), '\n');
        EXPECT_TRUE(numberedFromOne(log, c.signal == SIGKILL ? -1 : printed));
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
        Fields more;
    } cases[] = {
        {other, other + ": its columns differ from the capture log's", {}},
        {m_dir.file("log.json"), "--log needs a file ending in .csv, .tsv or .txt", {}},
        {m_dir.file("log"), "--log needs a file ending in .csv, .tsv or .txt", {}},
        {m_dir.file("missing/log.csv"), "missing/log.csv: No such file or directory", {}},
        {m_dir.file("folder.csv"), "folder.csv: Is a directory", {}},
        {m_dir.file("fifo.csv"), "fifo.csv: not a regular file", {}},
        {m_dir.file("x.csv"), "x.csv: named by --log and --csv", {"--csv", m_dir.file("./x.csv")}},
    };
    const std::string before = test::ReadFile(other);
    for (const auto& c : cases) {
        Fields more{"--count", "0"};
        more.insert(more.end(), c.more.begin(), c.more.end());
        const test::ProgramRun r = run(c.path, more);
        EXPECT_EQ(r.exitCode, 2) << c.path;
        EXPECT_TRUE(r.out.empty()) << c.path;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadFile(other), before);
}

// A last line cut by a power cut stays as it is, and the next line starts a line of its own.
TEST_F(CaptureLog, CutLastLineIsEndedFirst) {
    const std::string path = m_dir.file("cut.csv");
    ASSERT_EQ(run(path, {}).exitCode, 0);
    std::ofstream(path, std::ios::app) << "2026-12-09T00:00:00.000+01:00,1,23";
    ASSERT_EQ(run(path, {}).exitCode, 0);
    const LogContents log = readLog(path, ',');
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[2], (Fields{"2026-12-09T00:00:00.000+01:00", "1", "23"}));
    EXPECT_EQ(log.lines[3].size(), log.lines[0].size());
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
    EXPECT_TRUE(numberedFromOne(log));
    EXPECT_LE(test::ReadFile(path).size(), 8u * 512);
}

}  // namespace
}  // namespace voltaris
