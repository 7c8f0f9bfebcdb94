// voltaris-cli status run as a program against the meter simulator.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "DeviceTestSupport.h"
#include "meter-sim/MeterSimulator.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs voltaris-cli with `args` (already quoted for the shell) and collects its output.
CliRun runCli(const std::string& args) {
    const auto errFile = test::TestHome() / "cli-stderr.txt";
    const std::string command =
        std::string(VOLTARIS_CLI_PATH) + " " + args + " 2>'" + errFile.string() + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buf[512];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) {
        run.out.append(buf, n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    std::stringstream err;
    err << in.rdbuf();
    run.err = err.str();
    return run;
}

TEST(StatusCommand, PrintsTheMeterStatusAsJson) {
    sim::Config config;
    config.generation = 2;
    sim::MeterSimulator meter(config);
    ASSERT_TRUE(meter.start());
    const CliRun run = runCli("status --port '" + meter.portPath() + "'");
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
    const CliRun run = runCli("status --port /dev/voltaris-no-such-port");
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
    const CliRun run = runCli("status --port '" + meter.portPath() + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("no answer"), std::string::npos) << run.err;
}

TEST(StatusCommand, MissingPortIsAUsageError) {
    const CliRun run = runCli("status");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--port"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace voltaris
