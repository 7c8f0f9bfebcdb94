// The meter's calibration constants (gains, dates, serial number, logging period) and the
// 28-byte EEPROM image that holds them.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace voltaris {

inline constexpr float kDefaultGainV = 0.0222550128f;   // bit pattern 0x3CB65025
inline constexpr float kDefaultGainI = 9.5138399e-05f;  // bit pattern 0x38C7850A
inline constexpr std::uint16_t kDefaultSerialNumber = 9999;
inline constexpr std::uint32_t kUnknownCalibrationDate = 99999999;
// Latest factory date accepted by the load; later dates (and an erased EEPROM) mean the
// factory calibration is not available.
inline constexpr std::uint32_t kLatestFactoryCalibrationDate = 31122030;

// Gains are volts or amperes per raw converter unit; dates are decimal DDMMYYYY.
struct CalibrationParams {
    float gainV = kDefaultGainV;
    float gainI = kDefaultGainI;
    float factoryGainV = kDefaultGainV;
    float factoryGainI = kDefaultGainI;
    std::uint16_t logPeriod = 0;
    std::uint16_t serialNumber = kDefaultSerialNumber;
    std::uint32_t lastCalibrationDate = kUnknownCalibrationDate;
    std::uint32_t factoryCalibrationDate = 0;

    friend bool operator==(const CalibrationParams&, const CalibrationParams&) = default;
};

// A gain the measurements can use: NaN, infinities, zero or a negative gain would turn every
// sample into nonsense. The calibration load refuses other gains as a corrupt EEPROM does.
[[nodiscard]] inline bool UsableGain(float gain) {
    return std::isfinite(gain) && gain > 0.0f;
}

inline constexpr int kCalibrationBytes = 28;
using CalibrationImage = std::array<std::uint8_t, kCalibrationBytes>;

// EEPROM addresses of the fields; every field is stored least significant byte first.
inline constexpr int kAddrSerialNumber = 0;
inline constexpr int kAddrFactoryGainV = 2;
inline constexpr int kAddrFactoryGainI = 6;
inline constexpr int kAddrFactoryCalibrationDate = 10;
inline constexpr int kAddrGainV = 14;
inline constexpr int kAddrGainI = 18;
inline constexpr int kAddrLastCalibrationDate = 22;
inline constexpr int kAddrLogPeriod = 26;

// 28-byte EEPROM image <-> params (little-endian fields at the addresses above).
void EncodeCalibration(const CalibrationParams& params, CalibrationImage& image);
[[nodiscard]] CalibrationParams DecodeCalibration(const CalibrationImage& image);

// The decimal date DDMMYYYY.
[[nodiscard]] std::uint32_t CalibrationDate(int day, int month, int year);

}  // namespace voltaris
