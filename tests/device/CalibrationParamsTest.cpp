// The calibration's EEPROM image: default constants, byte layout, round trip, dates.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "device/CalibrationParams.h"

namespace voltaris {
namespace {

std::uint32_t bytesAt(const CalibrationImage& image, int address, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | image[static_cast<std::size_t>(address + i)];
    }
    return value;
}

TEST(CalibrationParams, DefaultGainsHaveTheMetersBitPatterns) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(kDefaultGainV), 0x3CB65025u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(kDefaultGainI), 0x38C7850Au);
    // Full scale of the converter with these gains.
    EXPECT_NEAR(32767 * kDefaultGainV, 729.23, 0.005);
    EXPECT_NEAR(-32768 * kDefaultGainI, -3.1175, 0.00005);

    const CalibrationParams params;
    EXPECT_EQ(params.serialNumber, 9999);
    EXPECT_EQ(params.lastCalibrationDate, 99999999u);
    EXPECT_EQ(params.factoryCalibrationDate, 0u);
    EXPECT_EQ(params.logPeriod, 0);
}

TEST(CalibrationParams, EncodesEveryFieldLittleEndianAtItsAddress) {
    CalibrationParams params;
    params.serialNumber = 0x1234;
    params.factoryGainV = std::bit_cast<float>(0x3CB65025u);
    params.factoryGainI = std::bit_cast<float>(0x38C7850Au);
    params.factoryCalibrationDate = 31122031;  // 0x01DAE26F
    params.gainV = std::bit_cast<float>(0x11223344u);
    params.gainI = std::bit_cast<float>(0x55667788u);
    params.lastCalibrationDate = 15032024;  // 0x00E55ED8
    params.logPeriod = 3000;                // 0x0BB8
    CalibrationImage image{};
    image.fill(0xAA);
    EncodeCalibration(params, image);

    const CalibrationImage expected = {0x34, 0x12,              // serial number
                                       0x25, 0x50, 0xB6, 0x3C,  // factory gain V
                                       0x0A, 0x85, 0xC7, 0x38,  // factory gain I
                                       0x6F, 0xE2, 0xDA, 0x01,  // factory date
                                       0x44, 0x33, 0x22, 0x11,  // gain V
                                       0x88, 0x77, 0x66, 0x55,  // gain I
                                       0xD8, 0x5E, 0xE5, 0x00,  // last calibration date
                                       0xB8, 0x0B};             // logging period
    EXPECT_EQ(image, expected);
    EXPECT_EQ(bytesAt(image, kAddrFactoryCalibrationDate, 4), 31122031u);
    EXPECT_EQ(bytesAt(image, kAddrLastCalibrationDate, 4), 15032024u);
}

TEST(CalibrationParams, DecodeUndoesEncodeBitForBit) {
    CalibrationParams params;
    params.gainV = 0.0231f;
    params.gainI = 1.25e-4f;
    params.factoryGainV = std::numeric_limits<float>::quiet_NaN();
    params.factoryGainI = -0.0f;
    params.logPeriod = 0xFFFF;
    params.serialNumber = 0;
    params.lastCalibrationDate = 0xFFFFFFFF;
    params.factoryCalibrationDate = 1012000;
    CalibrationImage image{};
    EncodeCalibration(params, image);
    const CalibrationParams back = DecodeCalibration(image);

    // Compared through the bit patterns: NaN and -0 must survive unchanged, since bytes that a
    // failed load did not read are kept through this round trip.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back.gainV), std::bit_cast<std::uint32_t>(params.gainV));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back.gainI), std::bit_cast<std::uint32_t>(params.gainI));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back.factoryGainV),
              std::bit_cast<std::uint32_t>(params.factoryGainV));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back.factoryGainI),
              std::bit_cast<std::uint32_t>(params.factoryGainI));
    EXPECT_EQ(back.logPeriod, params.logPeriod);
    EXPECT_EQ(back.serialNumber, params.serialNumber);
    EXPECT_EQ(back.lastCalibrationDate, params.lastCalibrationDate);
    EXPECT_EQ(back.factoryCalibrationDate, params.factoryCalibrationDate);

    CalibrationImage again{};
    EncodeCalibration(back, again);
    EXPECT_EQ(again, image);
}

TEST(CalibrationParams, DatesAreDayMonthYearDecimal) {
    EXPECT_EQ(CalibrationDate(31, 12, 2031), 31122031u);
    EXPECT_EQ(CalibrationDate(31, 12, 2030), kLatestFactoryCalibrationDate);
    EXPECT_EQ(CalibrationDate(1, 1, 2000), 1012000u);
    EXPECT_EQ(CalibrationDate(5, 3, 2024), 5032024u);
}

}  // namespace
}  // namespace voltaris
