// The calibration's EEPROM image: default constants, byte layout, round trip, dates.
#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include "device/CalibrationParams.h"

namespace voltaris {
namespace {

std::uint32_t bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

TEST(CalibrationParams, DefaultGainsHaveTheMetersBitPatternsAndFullScale) {
    EXPECT_EQ(bits(kDefaultGainV), 0x3CB65025u);
    EXPECT_EQ(bits(kDefaultGainI), 0x38C7850Au);
    EXPECT_NEAR(32767 * kDefaultGainV, 729.23, 0.005);
    EXPECT_NEAR(-32768 * kDefaultGainI, -3.1175, 0.00005);
}

TEST(CalibrationParams, EncodesEveryFieldLittleEndianAtItsAddress) {
    CalibrationParams params;
    params.serialNumber = 0x1234;
    params.factoryCalibrationDate = 31122031;  // 0x01DAE26F
    params.gainV = std::bit_cast<float>(0x11223344u);
    params.gainI = std::bit_cast<float>(0x55667788u);
    params.lastCalibrationDate = 15032024;  // 0x00E55ED8
    params.logPeriod = 3000;                // 0x0BB8
    CalibrationImage image{};
    EncodeCalibration(params, image);
    const CalibrationImage expected = {0x34, 0x12, 0x25, 0x50, 0xB6, 0x3C, 0x0A, 0x85, 0xC7, 0x38,
                                       0x6F, 0xE2, 0xDA, 0x01, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                       0x66, 0x55, 0xD8, 0x5E, 0xE5, 0x00, 0xB8, 0x0B};
    EXPECT_EQ(image, expected);
}

TEST(CalibrationParams, DecodeUndoesEncodeBitForBit) {
    // NaN and -0 must survive: bytes that a failed load did not read go through this round trip.
    CalibrationParams params{0.0231f,    1.25e-4f, std::numeric_limits<float>::quiet_NaN(),
                             -0.0f,      0xFFFF,   0,
                             0xFFFFFFFF, 1012000};
    CalibrationImage image{};
    EncodeCalibration(params, image);
    CalibrationParams back = DecodeCalibration(image);
    EXPECT_EQ(bits(back.factoryGainV), bits(params.factoryGainV));
    EXPECT_EQ(bits(back.factoryGainI), bits(params.factoryGainI));
    params.factoryGainV = back.factoryGainV = 1;  // NaN never compares equal
    EXPECT_EQ(back, params);
}

TEST(CalibrationParams, DatesAreDayMonthYearDecimal) {
    EXPECT_EQ(CalibrationDate(31, 12, 2031), 31122031u);
    EXPECT_EQ(CalibrationDate(31, 12, 2030), kLatestFactoryCalibrationDate);
    EXPECT_EQ(CalibrationDate(5, 3, 2024), 5032024u);
}

}  // namespace
}  // namespace voltaris
