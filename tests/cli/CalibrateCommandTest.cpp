// voltaris-cli calibrate as a process against a simulated meter whose input stages read 200 V for
// 230 V and 1.25 A for 1 A with its stored gains: a calibration, a factory calibration and a
// restore through the worker, the refusals that write nothing, and the usage errors.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <numeric>

#include "acquisition/WorkerMessages.h"
#include "meter-sim/Eeprom.h"
#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

class CalibrateCommand : public ::testing::Test {
protected:
    static sim::Config miscalibrated() {
        sim::Config config;
        config.inputGainV = sim::kDefaultGainV * 1.15f;
        config.inputGainI = sim::kDefaultGainI * 0.8f;
        return config;
    }

    test::ProgramRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"calibrate", "--port", meter.path()});
        meter.sim.clearReceivedFrames();
        const test::Environment environment{
            .set = {{"XDG_CONFIG_HOME", dir.file("config")}, {"XDG_DATA_HOME", dir.file("data")}},
            .unset = {"VOLTARIS_PORTS"}};
        return test::RunProgram(VOLTARIS_CLI_PROGRAM, args, environment);
    }

    test::TempDir dir;
    test::SimulatedMeter meter{miscalibrated(), test::MeterPort::Free};
};

QJsonObject json(const test::ProgramRun& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

TEST_F(CalibrateCommand, CalibratesSoThatTheSecondCaptureReadsTheTrueValues) {
    ASSERT_TRUE(meter.ready());
    const test::ProgramRun r =
        run({"--vrms-actual", "230", "--irms-actual", "1000", "--password", "271828"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Calibration updated, wait for refresh !"), std::string::npos) << r.err;
    std::vector<int> user(12);
    std::iota(user.begin(), user.end(), 14);
    EXPECT_EQ(test::WrittenEepromAddresses(meter.sim), user);

    const QJsonObject o = json(r);
    EXPECT_NEAR(o["before"]["Vrms"].toDouble(), 200, 1);
    EXPECT_NEAR(o["before"]["Irms"].toDouble(), 1.25, 0.01);
    EXPECT_NEAR(o["after"]["Vrms"].toDouble(), 230, 0.5);
    EXPECT_NEAR(o["after"]["Irms"].toDouble(), 1, 0.003);
    const sim::EepromImage eeprom = meter.sim.eeprom();
    EXPECT_EQ(o["calibration"]["gainV"].toDouble(), sim::readFloat(eeprom, sim::kAddrGainV));
    EXPECT_EQ(o["after"]["gainI"].toDouble(), sim::readFloat(eeprom, sim::kAddrGainI));
    EXPECT_EQ(o["calibration"]["lastCalibrationDate"].toInteger(),
              sim::readU32(eeprom, sim::kAddrLastCalibrationDate));
    EXPECT_EQ(o["calibration"]["serialNumber"].toInt(), 1234);

    // The factory gains back in use.
    const test::ProgramRun restored = run({"--restore-factory", "--password", "271828"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(test::WrittenEepromAddresses(meter.sim), user);
    const QJsonObject back = json(restored);
    EXPECT_NEAR(back["after"]["Vrms"].toDouble(), 200, 1);
    EXPECT_EQ(sim::readFloat(meter.sim.eeprom(), sim::kAddrGainV), sim::kDefaultGainV);
}

TEST_F(CalibrateCommand, FactoryCalibrationWritesTheWholeAreaWithoutPassword) {
    ASSERT_TRUE(meter.ready());
    const test::ProgramRun r =
        run({"--mfg", "--serial", "4321", "--vrms-actual", "230", "--irms-actual", "1000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<int> all(26);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(test::WrittenEepromAddresses(meter.sim), all);
    EXPECT_EQ(sim::readU16(meter.sim.eeprom(), sim::kAddrSerial), 4321);
    const QJsonObject o = json(r);
    EXPECT_EQ(o["calibration"]["factoryGainV"].toDouble(), o["calibration"]["gainV"].toDouble());
    EXPECT_NEAR(o["after"]["Vrms"].toDouble(), 230, 0.5);
}

TEST_F(CalibrateCommand, RefusalsExitOneAndWriteNothing) {
    ASSERT_TRUE(meter.ready());
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--vrms-actual", "230", "--irms-actual", "1000", "--password", "27182"},
         "Wrong password !\nPlease enter the correct administrator password"},
        {{"--vrms-actual", "230", "--irms-actual", "1000", "--password", "271828", "--periods",
          "49"},
         "Calibration impossible : not enough periods"},
        {{"--vrms-actual", "401", "--irms-actual", "1000", "--password", "271828"},
         "Calibration impossible : wrong actual voltage "},
        {{"--vrms-actual", "230", "--irms-actual", "99", "--password", "271828"},
         "Calibration impossible : wrong actual current"},
        {{"--restore-factory", "--password", ""},
         "Wrong password !\nPlease enter the correct administrator password"},
        {{"--mfg", "--serial", "65536", "--vrms-actual", "230", "--irms-actual", "1000"},
         "Serial number out of range"},
    };
    for (const Case& c : cases) {
        const test::ProgramRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_TRUE(test::WrittenEepromAddresses(meter.sim).empty()) << c.message;
    }
    EXPECT_EQ(sim::readFloat(meter.sim.eeprom(), sim::kAddrGainV), sim::kDefaultGainV);
}

TEST_F(CalibrateCommand, UsageAndDeviceErrorsExitTwo) {
    ASSERT_TRUE(meter.ready());
    const std::vector<std::string> cases[] = {
        {"--vrms-actual", "230", "--password", "271828"},
        {"--vrms-actual", "abc", "--irms-actual", "1000", "--password", "271828"},
        {"--vrms-actual", "230", "--irms-actual", "1000"},
        {"--restore-factory", "--mfg", "--password", "271828"},
        {"--mfg", "--serial", "12a", "--vrms-actual", "230", "--irms-actual", "1000"},
        {"--vrms-actual", "230", "--irms-actual", "1000", "--password", "271828", "--periods",
         "86"},
    };
    for (const std::vector<std::string>& args : cases) {
        const test::ProgramRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.front() << "\n" << r.err;
        EXPECT_NE(r.err.find("usage: voltaris-cli calibrate"), std::string::npos) << r.err;
        EXPECT_TRUE(meter.sim.receivedFrames().empty());
    }
    const test::Environment none{.set = {{"XDG_CONFIG_HOME", dir.file("config")}}, .unset = {}};
    const test::ProgramRun missing = test::RunProgram(
        VOLTARIS_CLI_PROGRAM, {"calibrate", "--port", dir.file("nothing"), "--vrms-actual",
                               "230", "--irms-actual", "1000", "--password", "271828"},
        none);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find(": no such device"), std::string::npos) << missing.err;

    // A meter that refuses the EEPROM writes: the worker's message and exit 2, no JSON.
    sim::Faults faults;
    faults.refuseW = true;
    meter.sim.setFaults(faults);
    const test::ProgramRun refused =
        run({"--vrms-actual", "230", "--irms-actual", "1000", "--password", "271828"});
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    EXPECT_NE(refused.err.find(kCalibrationStoreErrorText), std::string::npos) << refused.err;
    EXPECT_TRUE(refused.out.empty()) << refused.out;
}

}  // namespace
}  // namespace voltaris
