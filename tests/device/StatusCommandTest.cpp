// voltaris-cli status run as a program against the meter simulator.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"

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
    test::SimulatedMeter meter(config, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    const CliRun run = runCli({"status", "--port", meter.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
    ASSERT_TRUE(doc.isObject()) << run.out;
    const QJsonObject json = doc.object();
    EXPECT_EQ(json.value("port").toString().toStdString(), meter.path());
    EXPECT_EQ(json.value("status").toString(), "<00000000I000000120000>");
    EXPECT_EQ(json.value("state").toString(), "I");
    EXPECT_EQ(json.value("generation").toInt(), 2);
    EXPECT_EQ(json.value("hardwareVersion").toInt(), 0x12);
    EXPECT_EQ(meter.sim.receivedFrames(), std::vector<std::string>{"<?>"});
}

TEST(StatusCommand, PortThatCannotBeOpenedIsADeviceError) {
    const CliRun run = runCli({"status", "--port", "/dev/voltaris-no-such-port"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("cannot open port /dev/voltaris-no-such-port"), std::string::npos)
        << run.err;
}

TEST(StatusCommand, SilentMeterIsADeviceError) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    sim::Faults faults;
    faults.silent = true;
    meter.sim.setFaults(faults);
    const CliRun run = runCli({"status", "--port", meter.path()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("no meter answers on " + meter.path()), std::string::npos) << run.err;
}

TEST(StatusCommand, MissingPortIsAUsageError) {
    const CliRun run = runCli({"status"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--port"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace voltaris
