// voltaris-cli status run as a program against the meter simulator.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "meter-sim/MeterSimulator.h"
#include "support/ChildProcess.h"

namespace voltaris {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs voltaris-cli with `args` and collects its output.
CliRun runCli(const std::vector<std::string>& args) {
    const test::ProgramRun run = test::RunProgram(VOLTARIS_CLI_PATH, args);
    return {run.exitCode, run.out, run.err};
}

TEST(StatusCommand, PrintsTheMeterStatusAsJson) {
    sim::Config config;
    config.generation = 2;
    sim::MeterSimulator meter(config);
    ASSERT_TRUE(meter.start());
    const CliRun run = runCli({"status", "--port", meter.portPath()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
    ASSERT_TRUE(doc.isObject()) << run.out;
    const QJsonObject json = doc.object();
    EXPECT_EQ(json.value("port").toString().toStdString(), meter.portPath());
    EXPECT_EQ(json.value("status").toString(), "<00000000I000000120000>");
    EXPECT_EQ(json.value("state").toString(), "I");
    EXPECT_EQ(json.value("generation").toInt(), 2);
    EXPECT_EQ(json.value("hardwareVersion").toInt(), 0x12);
    EXPECT_EQ(meter.receivedFrames(), std::vector<std::string>{"<?>"});
}

TEST(StatusCommand, PortThatCannotBeOpenedIsADeviceError) {
    const CliRun run = runCli({"status", "--port", "/dev/voltaris-no-such-port"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("cannot open port /dev/voltaris-no-such-port"), std::string::npos)
        << run.err;
}

TEST(StatusCommand, SilentMeterIsADeviceError) {
    sim::MeterSimulator meter;
    ASSERT_TRUE(meter.start());
    sim::Faults faults;
    faults.silent = true;
    meter.setFaults(faults);
    const CliRun run = runCli({"status", "--port", meter.portPath()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("no answer"), std::string::npos) << run.err;
}

TEST(StatusCommand, MissingPortIsAUsageError) {
    const CliRun run = runCli({"status"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--port"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace voltaris
