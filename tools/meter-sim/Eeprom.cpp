// The meter's EEPROM image and its little-endian field access.
#include "Eeprom.h"

#include <bit>
#include <cmath>

namespace voltaris::sim {

namespace {

constexpr std::uint32_t kDefaultSerial = 1234;
constexpr std::uint32_t kDefaultDate = 15032024;
constexpr std::uint16_t kDefaultLogPeriod = 50;

float plausibleGain(float gain, float fallback) {
    // A gain outside this range would not map the converter's range onto mains values.
    return (std::isfinite(gain) && gain > 1e-9f && gain < 1.0f) ? gain : fallback;
}

}  // namespace

EepromImage defaultEepromImage() {
    EepromImage image;
    image.fill(0xFF);
    writeU16(image, kAddrSerial, kDefaultSerial);
    writeFloat(image, kAddrFactoryGainV, kDefaultGainV);
    writeFloat(image, kAddrFactoryGainI, kDefaultGainI);
    writeU32(image, kAddrFactoryDate, kDefaultDate);
    writeFloat(image, kAddrGainV, kDefaultGainV);
    writeFloat(image, kAddrGainI, kDefaultGainI);
    writeU32(image, kAddrLastCalibrationDate, kDefaultDate);
    writeU16(image, kAddrLogPeriod, kDefaultLogPeriod);
    return image;
}

std::uint32_t readU32(const EepromImage& image, int address) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | image[static_cast<std::size_t>(address + i)];
    }
    return value;
}

std::uint16_t readU16(const EepromImage& image, int address) {
    return static_cast<std::uint16_t>(image[static_cast<std::size_t>(address)] |
                                      (image[static_cast<std::size_t>(address + 1)] << 8));
}

float readFloat(const EepromImage& image, int address) {
    return std::bit_cast<float>(readU32(image, address));
}

void writeU32(EepromImage& image, int address, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[static_cast<std::size_t>(address + i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void writeU16(EepromImage& image, int address, std::uint16_t value) {
    image[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
    image[static_cast<std::size_t>(address + 1)] = static_cast<std::uint8_t>(value >> 8);
}

void writeFloat(EepromImage& image, int address, float value) {
    writeU32(image, address, std::bit_cast<std::uint32_t>(value));
}

float effectiveGainV(const EepromImage& image) {
    return plausibleGain(readFloat(image, kAddrGainV), kDefaultGainV);
}

float effectiveGainI(const EepromImage& image) {
    return plausibleGain(readFloat(image, kAddrGainI), kDefaultGainI);
}

}  // namespace voltaris::sim
