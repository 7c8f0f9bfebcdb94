// voltaris-cli compliance run as a process: against the simulated meter with a load that passes
// and one whose third harmonic fails class A, on raw capture files with the CSV table and the
// report section, in demonstration mode ended early by SIGINT, and its usage errors.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

sim::Config loadWithThirdHarmonic(double currentRms, double thirdFraction) {
    sim::Config c;
    c.waveform.currentRms = currentRms;
    c.waveform.currentHarmonics = {{3, thirdFraction}};
    return c;
}

class ComplianceCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    test::ProgramRun run(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {"compliance"};
        all.insert(all.end(), args.begin(), args.end());
        const test::Environment environment{.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                                                    {"XDG_DATA_HOME", m_dir.file("data")}},
                                            .unset = {"VOLTARIS_PORTS"}};
        return test::RunProgram(VOLTARIS_CLI_PROGRAM, all, environment, 120s);
    }

    static QJsonObject verdictOf(const test::ProgramRun& r) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    }

    test::TempDir m_dir;
};

// In phase with a 230 V supply, so that the power and the class D limits follow from the
// fundamental; within the meter's current range.
TEST_F(ComplianceCommand, AgainstTheMeterALoadPassesOrFailsOnItsThirdHarmonic) {
    const struct {
        double currentRms;
        double third;
        int exitCode;
        const char* verdict;
    } loads[] = {{1.0, 0.1, 0, "PASS"}, {1.0, 1.2, 1, "FAIL"}};
    for (const auto& load : loads) {
        SCOPED_TRACE(load.verdict);
        test::SimulatedMeter meter(loadWithThirdHarmonic(load.currentRms, load.third),
                                   test::MeterPort::Free);
        ASSERT_TRUE(meter.ready());
        const test::ProgramRun r =
            run({"--port", meter.path(), "--class", "D", "--duration", "3"});
        ASSERT_EQ(r.exitCode, load.exitCode) << r.err;
        const QJsonObject o = verdictOf(r);
        EXPECT_EQ(o["verdict"].toString(), load.verdict);
        EXPECT_EQ(o["class"].toString(), "D");
        EXPECT_TRUE(o["complete"].toBool());
        EXPECT_NEAR(o["observationTime"].toDouble(), 3.0, 0.01);
        EXPECT_EQ(o["windows"].toInt(), 15);  // 200 ms each
        EXPECT_TRUE(o["preCompliance"].toString().startsWith("pre-compliance"));
        const QJsonArray orders = o["orders"].toArray();
        ASSERT_EQ(orders.size(), 40);
        const QJsonObject third = orders[2].toObject();
        EXPECT_EQ(third["order"].toInt(), 3);
        // Class D: 3.4 mA per watt of the average power.
        EXPECT_NEAR(third["limit"].toDouble(), 3.4e-3 * o["averagePower"].toDouble(), 1e-9);
        // The third harmonic's RMS: fraction x fundamental, the fundamental being
        // currentRms / sqrt(1 + fraction^2).
        const double i3 = load.currentRms * load.third / std::sqrt(1 + load.third * load.third);
        EXPECT_NEAR(third["max"].toDouble(), i3, i3 * 0.01);
        EXPECT_EQ(o["failingOrders"].toArray().contains(3), load.exitCode == 1);
        EXPECT_NE(r.err.find("pre-compliance: 15 windows evaluated (3.0 s of 3 s)"),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(ComplianceCommand, OnCaptureFilesWritesTheTableAndTheReportSection) {
    {
        test::SimulatedMeter meter(loadWithThirdHarmonic(1.0, 1.2), test::MeterPort::Free);
        ASSERT_TRUE(meter.ready());
        const test::ProgramRun made = test::RunProgram(
            VOLTARIS_CLI_PROGRAM,
            {"capture", "--port", meter.path(), "--periods", "85", "--raw", m_dir.file("a.raw")});
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }
    const std::string raw = m_dir.file("a.raw");
    const test::ProgramRun r = run({raw, raw, "--class", "d", "--duration", "60", "--csv",
                                    m_dir.file("table.csv"), "--report", m_dir.file("report")});
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const QJsonObject o = verdictOf(r);
    EXPECT_EQ(o["captures"].toInt(), 2);
    EXPECT_EQ(o["windows"].toInt(), 16);  // 8 whole windows in 85 periods, twice
    EXPECT_FALSE(o["complete"].toBool());  // the files ended first

    const std::string csv = test::ReadFile(m_dir.file("table.csv"));
    EXPECT_EQ(csv.rfind("\"pre-compliance: ", 0), 0u) << csv;
    EXPECT_NE(csv.find("class,D,observation time (s),3.200,windows,16,captures,2,verdict,FAIL\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",fail\r\n4,"), std::string::npos) << csv;  // order 3 fails
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 43);  // note, summary, header, 40 orders

    const std::string report = test::ReadFile(m_dir.file("report") + "/VoltarisReport.html");
    const std::size_t section = report.find("IEC 61000-3-2 pre-compliance");
    ASSERT_NE(section, std::string::npos);
    EXPECT_LT(section, report.find("<section class=\"pictures\""));
    EXPECT_NE(report.find("data-verdict=\"FAIL\""), std::string::npos);
    const std::size_t third = report.find("<tr><td>3</td>");
    ASSERT_NE(third, std::string::npos);
    EXPECT_NE(report.find("class=\"fail\">fail</td>", third), std::string::npos);
    EXPECT_EQ(report.find("%PC_"), std::string::npos);
}

TEST_F(ComplianceCommand, SigintEndsADemonstrationRunWithTheVerdictObserved) {
    const test::Environment environment{.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                                                {"XDG_DATA_HOME", m_dir.file("data")}},
                                        .unset = {"VOLTARIS_PORTS"}};
    test::ChildProcess cli(VOLTARIS_CLI_PROGRAM,
                           {"compliance", "--demo", "--class", "D", "--duration", "3600"},
                           environment);
    ASSERT_TRUE(cli.started());
    // Stopped once some windows were evaluated.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (cli.err().find("windows evaluated") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        (void)cli.readToEnd(200ms);
    }
    cli.signal(SIGINT);
    ASSERT_TRUE(cli.readToEnd(20s));
    const std::optional<int> exitCode = cli.wait(5s);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_TRUE(*exitCode == 0 || *exitCode == 1) << cli.err();
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(cli.out())).object();
    EXPECT_EQ(o["class"].toString(), "D");
    EXPECT_FALSE(o["complete"].toBool());
    EXPECT_GT(o["windows"].toInt(), 0);
    EXPECT_TRUE(o["verdict"].toString() == "PASS" || o["verdict"].toString() == "FAIL");
}

TEST_F(ComplianceCommand, RefusesWhatItCannotEvaluate) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--class", "A", "--duration", "5"}, "give exactly one of --port PATH, --demo"},
        {{"--demo", "x.raw", "--class", "A", "--duration", "5"}, "give exactly one of"},
        {{"--demo", "--class", "E", "--duration", "5"}, "--class needs A, B, C or D"},
        {{"--demo", "--class", "A", "--duration", "0"}, "--duration needs a number of seconds"},
        {{"--demo", "--class", "A", "--duration", "nan"}, "--duration needs a number"},
        {{"--demo", "--class", "A", "--duration", "5", "--periods", "9"},
         "--periods needs an integer from 10 to 85"},
        {{"--demo", "--class", "A", "--duration", "5", "--csv", "/no/such/folder/t.csv"},
         "/no/such/folder/t.csv"},
    };
    for (const auto& c : cases) {
        const test::ProgramRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // A file too short for one window.
    const test::ProgramRun made = test::RunProgram(
        VOLTARIS_CLI_PROGRAM,
        {"capture", "--demo", "--periods", "5", "--raw", m_dir.file("short.raw")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const test::ProgramRun r = run({m_dir.file("short.raw"), "--class", "A", "--duration", "5"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("no whole window was observed"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace voltaris
