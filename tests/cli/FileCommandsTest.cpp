// voltaris-cli files, download, delete and log-period run as processes against simulated meters
// on pseudo-terminals: their JSON, exit codes and refusals.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "meter-sim/SdCard.h"
#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris::test {
namespace {

using Strings = std::vector<std::string>;

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_meter.ready()); }

    ProgramRun run(const Strings& args) {
        Strings all{args.front(), "--port", m_meter.path()};
        all.insert(all.end(), args.begin() + 1, args.end());
        return RunProgram(VOLTARIS_CLI_PROGRAM, all);
    }
    static QJsonDocument json(const ProgramRun& run) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
    }

    SimulatedMeter m_meter{GenerationConfig(2), MeterPort::Free};
    TempDir m_dir;
};

TEST_F(FileCommands, FilesListsTheCardInItsOrder) {
    m_meter.sim.addLogFile("EMPTY0", {});
    const ProgramRun files = run({"files"});
    EXPECT_EQ(files.exitCode, 0) << files.err;
    EXPECT_EQ(json(files).array(), (QJsonArray{QJsonObject{{"name", "LOG001"}, {"size", 270}},
                                               QJsonObject{{"name", "LOG002"}, {"size", 40500}},
                                               QJsonObject{{"name", "EMPTY0"}, {"size", 0}}}));
}

TEST_F(FileCommands, DownloadConvertsEachFileAndSaysWhichAreIncomplete) {
    m_meter.sim.addRawLogFile("../abc", sim::makeLogRecords(1));
    const std::string out = m_dir.file("new/out");  // made with its parents
    const ProgramRun named = run({"download", "--out", out, "LOG002"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(json(named).object(),
              (QJsonObject{{"files", QJsonArray{QJsonObject{
                                         {"name", "LOG002"},
                                         {"path", QString::fromStdString(out + "/LOG002.csv")},
                                         {"size", 40500},
                                         {"records", 1500},
                                         {"complete", true}}}}}));
    const std::string text = ReadFile(out + "/LOG002.csv");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1501);

    // Block 1 of LOG002 comes cut, and the hostile name is skipped: exit 1.
    m_meter.sim.setFaults(sim::Faults{.cutLogBlock = 1, .cutLogBlockAt = 271});
    const ProgramRun all = run({"download", "--out", out, "--all"});
    EXPECT_EQ(all.exitCode, 1) << all.err;
    const QJsonArray files = json(all).object()["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0].toObject()["complete"], true);
    EXPECT_EQ(files[1].toObject()["complete"], false);
    EXPECT_EQ(files[1].toObject()["records"], 1000 + 10);  // 270 data bytes of block 1
    EXPECT_EQ(files[2].toObject()["name"], "../abc");
    EXPECT_EQ(files[2].toObject()["path"], QJsonValue());
    EXPECT_EQ(files[2].toObject()["complete"], false);
    EXPECT_NE(all.err.find("Invalid file name on the SD card, file skipped : ../abc"),
              std::string::npos)
        << all.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("new/abc.csv")));
}

TEST_F(FileCommands, DeleteAndLogPeriodReachTheMeter) {
    const ProgramRun deleted = run({"delete", "LOG001", "NOPE00"});
    EXPECT_EQ(deleted.exitCode, 1) << deleted.err;  // one file was not deleted
    EXPECT_EQ(json(deleted).object(),
              (QJsonObject{{"deleted", QJsonArray{"LOG001"}}, {"failed", QJsonArray{"NOPE00"}}}));
    EXPECT_EQ(m_meter.sim.logFiles().size(), 1u);

    const ProgramRun period = run({"log-period", "50"});
    EXPECT_EQ(period.exitCode, 0) << period.err;
    EXPECT_EQ(json(period).object(), (QJsonObject{{"logPeriod", 50}}));
    EXPECT_EQ(m_meter.sim.receivedFrames().back(), "<M0032>");
    EXPECT_EQ(m_meter.sim.lastLogPeriod(), 50);
}

TEST_F(FileCommands, RefusalsExitTwoWithTheirReason) {
    struct Case {
        Strings args;
        std::string reason;
        bool sendsNothing;  // refused before the port is opened
        std::function<void(sim::MeterSimulator&)> meter = {};
    };
    const std::string x = m_dir.file("x");
    const Case cases[] = {
        {{"log-period", "7"}, "Unsupported value, please select from the list", true},
        {{"log-period", "fifty"}, "Unsupported value, please select from the list", true},
        {{"delete", "../abc"}, "is not the 6-character name of a card file", true},
        {{"delete"}, "give the names of the files to delete", true},
        {{"download", "--out", x}, "give either --all or the names of the files", true},
        {{"download", "--out", x, "--all", "LOG001"}, "give either --all", true},
        {{"download", "--all"}, "--out DIR is required", true},
        {{"download", "--out", x, "LOG009"}, "no file LOG009 on the SD card", false},
        {{"files"},
         "Synchronisation failed : No SD card detected",
         false,
         [](sim::MeterSimulator& s) { s.setFaults(sim::Faults{.noSdCard = true}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + (c.args.size() > 1 ? c.args[1] : ""));
        m_meter.sim.setFaults({});
        if (c.meter) {
            c.meter(m_meter.sim);
        }
        m_meter.sim.clearReceivedFrames();
        const ProgramRun refused = run(c.args);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find(c.reason), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.out.empty());
        EXPECT_EQ(m_meter.sim.receivedFrames().empty(), c.sendsNothing);
        EXPECT_FALSE(std::filesystem::exists(x));
    }
}

TEST(FileCommandsFirstGeneration, RefusedWithAClearMessage) {
    SimulatedMeter meter(GenerationConfig(1), MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    TempDir dir;
    for (const Strings& args : {Strings{"files"}, Strings{"delete", "LOG001"},
                                Strings{"log-period", "50"}, Strings{"download", "--all"}}) {
        SCOPED_TRACE(args.front());
        Strings all = args;
        all.insert(all.end(), {"--port", meter.path(), "--out", dir.file("unused")});
        if (args.front() != "download") {
            all.resize(all.size() - 2);
        }
        const ProgramRun refused = RunProgram(VOLTARIS_CLI_PROGRAM, all);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find("is not a second-generation meter: only those have an SD card"),
                  std::string::npos)
            << refused.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("unused")));
    // Only the status was asked.
    const Strings frames = meter.sim.receivedFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "<?>"),
              static_cast<std::ptrdiff_t>(frames.size()));
}

}  // namespace
}  // namespace voltaris::test
