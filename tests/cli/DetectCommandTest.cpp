// voltaris-cli detect run as a process against simulated meters on pseudo-terminals.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/PortTree.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QString err;
    QJsonArray meters() const { return QJsonDocument::fromJson(out).array(); }
};

class DetectCommandTest : public ::testing::Test {
protected:
    // Runs the command over the fake device tree, VOLTARIS_PORTS set only when given.
    CliResult detect(const QStringList& args, const QString& environmentPorts = {}) const {
        test::Environment environment;
        environment.unset = {"VOLTARIS_PORTS"};
        if (!environmentPorts.isEmpty()) {
            environment.set = {{"VOLTARIS_PORTS", environmentPorts.toStdString()}};
        }
        std::vector<std::string> all{"detect"};
        for (const QString& arg : args) {
            all.push_back(arg.toStdString());
        }
        for (const std::string& option : m_ports.options()) {
            all.push_back(option);
        }
        const test::ProgramRun run =
            test::RunProgram(VOLTARIS_CLI_PROGRAM, all, environment, std::chrono::seconds(30));
        return {run.exitCode, QByteArray::fromStdString(run.out), QString::fromStdString(run.err)};
    }

    test::PortTree m_ports;
};

TEST_F(DetectCommandTest, NamedMetersAreListedInOrderAsJson) {
    test::SimulatedMeter second(test::GenerationConfig(2), test::MeterPort::Free);
    test::SimulatedMeter first(test::GenerationConfig(1), test::MeterPort::Free);
    const QString secondPath = QString::fromStdString(second.path());
    const QString firstPath = QString::fromStdString(first.path());
    const CliResult run = detect({"--port", secondPath, "--port", firstPath});

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray meters = run.meters();
    ASSERT_EQ(meters.size(), 2) << run.out.toStdString();
    EXPECT_EQ(meters.at(0).toObject(), (QJsonObject{{"entry", "V2 " + secondPath},
                                                    {"port", secondPath},
                                                    {"generation", 2},
                                                    {"hardwareVersion", 0x12}}));
    EXPECT_EQ(meters.at(1).toObject(), (QJsonObject{{"entry", "V1 " + firstPath},
                                                    {"port", firstPath},
                                                    {"generation", 1},
                                                    {"hardwareVersion", 0x02}}));
    EXPECT_TRUE(run.err.contains("Searching " + secondPath)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("2 Voltaris detected")) << run.err.toStdString();
    // Listing selects no meter: the second-generation one is asked its status, nothing else.
    EXPECT_EQ(second.sim.receivedFrames(), std::vector<std::string>{"<?>"});
    EXPECT_FALSE(second.sim.meterClock().has_value());
}

TEST_F(DetectCommandTest, EnvironmentPortsComeFirstThenTheRfcommLinksFound) {
    test::SimulatedMeter named(test::GenerationConfig(2), test::MeterPort::Free);
    test::SimulatedMeter linked(test::GenerationConfig(1), test::MeterPort::Free);
    m_ports.link("rfcomm0", linked.path());
    const QString namedPath = QString::fromStdString(named.path());
    const CliResult run = detect({}, "::" + namedPath + ":");

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray meters = run.meters();
    ASSERT_EQ(meters.size(), 2) << run.out.toStdString();
    EXPECT_EQ(meters.at(0).toObject().value("entry").toString(), "V2 " + namedPath);
    EXPECT_EQ(meters.at(1).toObject().value("entry").toString(), "V1 rfcomm0");
    EXPECT_EQ(meters.at(1).toObject().value("port").toString(),
              QString::fromStdString((m_ports.dev() / "rfcomm0").string()));
}

TEST_F(DetectCommandTest, NoMeterPrintsAnEmptyListAndTheMessageAndExits2) {
    const CliResult run = detect({"--port", "/nonexistent/voltaris-port"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out.trimmed(), "[]");
    // detect has no demonstration mode: it says none was found, and why for each port.
    EXPECT_TRUE(run.err.contains("no meter found")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("cannot open port /nonexistent/voltaris-port: no such device"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Demonstration mode")) << run.err.toStdString();
}

TEST_F(DetectCommandTest, UnknownOptionOrArgumentIsAUsageError) {
    for (const QStringList& args : {QStringList{"--speed", "9600"}, QStringList{"/dev/rfcomm0"}}) {
        const CliResult run = detect(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(run.err.isEmpty());
    }
}

}  // namespace
}  // namespace voltaris
