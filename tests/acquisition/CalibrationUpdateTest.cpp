// The recalibration rules on their own: the conditions and their limits in order, the new gains,
// the entries, the three calibrations and the password, which never reaches the log.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CalibrationUpdate.h"
#include "support/LogCapture.h"

namespace voltaris {
namespace {


TEST(CalibrationUpdate, ConditionsRefuseInOrderAtTheirLimits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        AcqStatus state;
        int periods;
        double measuredV, measuredI, actualV, actualMilliamperes;
        std::optional<int> refusal;
    };
    const Case cases[] = {
        {AcqStatus::Idle, 50, 230, 1, 40, 100, std::nullopt},
        {AcqStatus::Idle, 85, 230, 1, 400, 6000, std::nullopt},
        // The acquisition comes first, even with everything else wrong.
        {AcqStatus::Running, 10, 0, 0, 0, 0, kCalAcquisitionOnGoing},
        {AcqStatus::SingleRequested, 85, 230, 1, 230, 1000, kCalAcquisitionOnGoing},
        {AcqStatus::StoreCalibration, 85, 230, 1, 230, 1000, kCalAcquisitionOnGoing},
        {AcqStatus::Idle, 49, 230, 1, 230, 1000, kCalNotEnoughPeriods},
        {AcqStatus::Idle, 85, 230, 1, 39, 99, kCalWrongActualVoltage},
        {AcqStatus::Idle, 85, 230, 1, 401, 1000, kCalWrongActualVoltage},
        {AcqStatus::Idle, 85, 230, 1, 230, 99, kCalWrongActualCurrent},
        {AcqStatus::Idle, 85, 230, 1, 230, 6001, kCalWrongActualCurrent},
        // Nothing measured on an input: its gain would be infinite or not a number.
        {AcqStatus::Idle, 85, 0, 1, 230, 1000, kCalWrongActualVoltage},
        {AcqStatus::Idle, 85, nan, 1, 230, 1000, kCalWrongActualVoltage},
        {AcqStatus::Idle, 85, 230, 0, 230, 1000, kCalWrongActualCurrent},
        {AcqStatus::Idle, 85, 230, 1e-300, 230, 1000, kCalWrongActualCurrent},
    };
    for (const Case& c : cases) {
        const CalibrationMeasurement measured{c.measuredV, c.measuredI, c.periods, kDefaultGainV,
                                              kDefaultGainI};
        EXPECT_EQ(CalibrationRefusal(c.state, measured, {c.actualV, c.actualMilliamperes}),
                  c.refusal)
            << "periods " << c.periods << ", " << c.measuredV << " V / " << c.actualV << " V, "
            << c.measuredI << " A / " << c.actualMilliamperes << " mA";
    }
}

TEST(CalibrationUpdate, NewGainsFollowTheRatioOfTrueToMeasured) {
    const CalibrationMeasurement measured{200, 2.5, 85, 0.02f, 1e-4f};
    const CalibrationGains gains = NewCalibrationGains(measured, {230, 2000});
    EXPECT_EQ(gains.gainV, static_cast<float>(230.0L / 200.0L * 0.02f));
    EXPECT_FLOAT_EQ(gains.gainV / 0.02f, 1.15f);
    EXPECT_FLOAT_EQ(gains.gainI / 1e-4f, 0.8f);
}

TEST(CalibrationUpdate, EntriesAndSerialNumbers) {
    EXPECT_EQ(ParseDigits("0"), 0u);
    EXPECT_EQ(ParseDigits("65535"), 65535u);
    EXPECT_EQ(ParseDigits("99999999999999999999999"), std::numeric_limits<std::uint64_t>::max());
    for (const char* bad : {"", " 1", "1.5", "-1", "12a"}) {
        EXPECT_FALSE(ParseDigits(bad).has_value()) << '"' << bad << '"';
    }
    EXPECT_EQ(SerialNumberFromValue(65535), 65535);
    // Not cut to its low 16 bits.
    EXPECT_FALSE(SerialNumberFromValue(65536).has_value());
    EXPECT_FALSE(SerialNumberFromValue(70000).has_value());
}

TEST(CalibrationUpdate, TheThreeCalibrationsChangeOnlyTheirFields) {
    CalibrationParams current;
    current.factoryGainV = 0.03f;
    current.factoryGainI = 2e-4f;
    current.factoryCalibrationDate = 15032024;
    current.serialNumber = 1234;
    current.logPeriod = 50;
    const CalibrationGains gains{0.025f, 8e-5f};

    CalibrationParams user = current;
    user.gainV = gains.gainV;
    user.gainI = gains.gainI;
    user.lastCalibrationDate = 7122026;
    EXPECT_EQ(UserCalibration(current, gains, 7122026), user);

    CalibrationParams factory = user;
    factory.factoryGainV = gains.gainV;
    factory.factoryGainI = gains.gainI;
    factory.factoryCalibrationDate = 7122026;
    factory.serialNumber = 4321;
    EXPECT_EQ(FactoryCalibration(current, gains, 4321, 7122026), factory);

    CalibrationParams restored = current;
    restored.gainV = 0.03f;
    restored.gainI = 2e-4f;
    restored.lastCalibrationDate = 15032024;
    EXPECT_EQ(RestoredFactoryCalibration(user), restored);
}

TEST(CalibrationUpdate, TodaysDateIsDayMonthYear) {
    const std::uint32_t date = TodaysCalibrationDate();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Allow for midnight passing between the two readings.
    EXPECT_EQ(date % 10000, static_cast<std::uint32_t>(local.tm_year + 1900));
    EXPECT_EQ(date / 10000 % 100, static_cast<std::uint32_t>(local.tm_mon + 1));
    EXPECT_GE(date / 1000000, 1u);
    EXPECT_LE(date / 1000000, 31u);
}

TEST(CalibrationUpdate, PasswordIsComparedExactlyAndNeverLogged) {
    test::LogCapture log;
    EXPECT_TRUE(CalibrationPasswordAccepted("271828"));
    for (const char* wrong : {"", "271828 ", " 271828", "27182", "2718281"}) {
        EXPECT_FALSE(CalibrationPasswordAccepted(wrong)) << '"' << wrong << '"';
    }
    EXPECT_EQ(log.count("INFO", "password accepted"), 1);
    EXPECT_EQ(log.count("INFO", "password refused"), 5);
    for (const test::LogLine& line : log.lines()) {
        EXPECT_EQ(line.message.find("2718"), std::string::npos) << line.message;
    }
}

TEST(CalibrationUpdate, StoreIsHandedOverOnlyFromIdle) {
    AcquisitionShared shared;
    CalibrationParams stored;
    stored.gainV = 0.03f;
    shared.setState(AcqStatus::Running);
    EXPECT_FALSE(shared.requestCalibrationStore(stored, AcqStatus::StoreCalibration));
    EXPECT_EQ(shared.calibration(), CalibrationParams{});
    shared.setState(AcqStatus::Idle);
    EXPECT_FALSE(shared.requestCalibrationStore(stored, AcqStatus::RunRequested));
    EXPECT_EQ(shared.state(), AcqStatus::Idle);
    EXPECT_TRUE(shared.requestCalibrationStore(stored, AcqStatus::StoreFactoryCalibration));
    EXPECT_EQ(shared.state(), AcqStatus::StoreFactoryCalibration);
    EXPECT_EQ(shared.calibration(), stored);
}

}  // namespace
}  // namespace voltaris
