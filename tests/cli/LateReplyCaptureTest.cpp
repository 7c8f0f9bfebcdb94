// voltaris-cli capture against a meter whose every reply comes late (a Bluetooth link in power
// saving): whatever the delay, a capture reports the meter's true values or fails with a clear
// message and a non-zero exit. A late reply must never be taken as the next command's answer.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "meter-sim/MeterSimulator.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

struct Lateness {
    int delayMs;
    bool withinEveryBudget;  // each reply comes before its command gives up: no failure allowed
};

class LateReplyCapture : public ::testing::TestWithParam<Lateness> {};

TEST_P(LateReplyCapture, GivesTheTrueValuesOrACommunicationError) {
    sim::Config config;
    config.waveform.voltageRms = 220;
    config.waveform.currentRms = 1;  // in phase with the voltage
    sim::MeterSimulator meter(config);
    ASSERT_TRUE(meter.start());
    meter.setFaults(sim::Faults{.lateBytesMs = GetParam().delayMs});

    test::TempDir dir;
    ASSERT_TRUE(dir.valid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    environment.remove("VOLTARIS_PORTS");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(VOLTARIS_CLI_PROGRAM,
                  {"capture", "--port", QString::fromStdString(meter.portPath()), "--dev-root",
                   dir.filePath("dev"), "--sys-root", dir.filePath("sys")});
    // The late replies stretch the calibration load and the error path's waits to about a minute.
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished(5000);
        FAIL() << "voltaris-cli did not finish";
    }
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    const QByteArray out = process.readAllStandardOutput().trimmed();
    const QString err = QString::fromUtf8(process.readAllStandardError());

    if (process.exitCode() != 0) {
        EXPECT_FALSE(GetParam().withinEveryBudget) << err.toStdString();
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        // Too late for the first status query, or later for the capture's own commands.
        EXPECT_TRUE(err.contains("Communication error ! Voltaris resetted.") ||
                    err.contains("no meter answers on") || err.contains("answered"))
            << err.toStdString();
        return;
    }
    ASSERT_FALSE(out.contains('\n')) << "one capture, one line";
    const QJsonObject o = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(o["blockCount"].toInt(), 12);
    EXPECT_EQ(o["mainsPeriodTicks"].toInt(), 20000);
    EXPECT_EQ(o["calibration"].toObject()["serialNumber"].toInt(), 1234);
    EXPECT_NEAR(o["Vrms"].toDouble(), 220, 1.5);
    EXPECT_NEAR(o["Irms"].toDouble(), 1.0, 0.02);
    EXPECT_GT(o["PF"].toDouble(), 0.99);
}

// Within the budget of every command, past the status and acknowledgement budget (some 440 ms)
// but within the EEPROM one, and past both.
INSTANTIATE_TEST_SUITE_P(DelaysMs, LateReplyCapture,
                         ::testing::Values(Lateness{0, true}, Lateness{150, true},
                                           Lateness{500, false}, Lateness{900, false}));

}  // namespace
}  // namespace voltaris
