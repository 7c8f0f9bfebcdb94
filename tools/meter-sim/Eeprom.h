// The meter's 256-byte EEPROM: the factory image holding a valid calibration, and access to its
// little-endian fields (serial, gains, dates, logging period in the first 28 bytes).
#pragma once

#include <array>
#include <cstdint>

namespace voltaris::sim {

using EepromImage = std::array<std::uint8_t, 256>;

inline constexpr float kDefaultGainV = 0.0222550128f;
inline constexpr float kDefaultGainI = 9.5138399e-05f;

// Addresses of the calibration fields.
inline constexpr int kAddrSerial = 0;
inline constexpr int kAddrFactoryGainV = 2;
inline constexpr int kAddrFactoryGainI = 6;
inline constexpr int kAddrFactoryDate = 10;
inline constexpr int kAddrGainV = 14;
inline constexpr int kAddrGainI = 18;
inline constexpr int kAddrLastCalibrationDate = 22;
inline constexpr int kAddrLogPeriod = 26;

// Serial 1234, both gain pairs at their defaults, both dates 15032024, logging period 50,
// every other byte 0xFF.
[[nodiscard]] EepromImage defaultEepromImage();

[[nodiscard]] std::uint32_t readU32(const EepromImage& image, int address);
[[nodiscard]] std::uint16_t readU16(const EepromImage& image, int address);
[[nodiscard]] float readFloat(const EepromImage& image, int address);
void writeU32(EepromImage& image, int address, std::uint32_t value);
void writeU16(EepromImage& image, int address, std::uint16_t value);
void writeFloat(EepromImage& image, int address, float value);

// The gains the meter scales its samples with: those in use (14-21) when they are plausible
// numbers, the defaults otherwise (an erased EEPROM reads NaN).
[[nodiscard]] float effectiveGainV(const EepromImage& image);
[[nodiscard]] float effectiveGainI(const EepromImage& image);

}  // namespace voltaris::sim
