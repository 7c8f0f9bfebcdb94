// The calibration's EEPROM image: little-endian fields at fixed addresses.
#include "device/CalibrationParams.h"

#include <bit>
#include <cstddef>

namespace voltaris {

namespace {

template <typename T>
void put(CalibrationImage& image, int address, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        image[static_cast<std::size_t>(address) + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

template <typename T>
T get(const CalibrationImage& image, int address) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |=
            static_cast<T>(static_cast<T>(image[static_cast<std::size_t>(address) + i]) << (8 * i));
    }
    return value;
}

}  // namespace

void EncodeCalibration(const CalibrationParams& params, CalibrationImage& image) {
    put(image, kAddrSerialNumber, params.serialNumber);
    put(image, kAddrFactoryGainV, std::bit_cast<std::uint32_t>(params.factoryGainV));
    put(image, kAddrFactoryGainI, std::bit_cast<std::uint32_t>(params.factoryGainI));
    put(image, kAddrFactoryCalibrationDate, params.factoryCalibrationDate);
    put(image, kAddrGainV, std::bit_cast<std::uint32_t>(params.gainV));
    put(image, kAddrGainI, std::bit_cast<std::uint32_t>(params.gainI));
    put(image, kAddrLastCalibrationDate, params.lastCalibrationDate);
    put(image, kAddrLogPeriod, params.logPeriod);
}

CalibrationParams DecodeCalibration(const CalibrationImage& image) {
    CalibrationParams params;
    params.serialNumber = get<std::uint16_t>(image, kAddrSerialNumber);
    params.factoryGainV = std::bit_cast<float>(get<std::uint32_t>(image, kAddrFactoryGainV));
    params.factoryGainI = std::bit_cast<float>(get<std::uint32_t>(image, kAddrFactoryGainI));
    params.factoryCalibrationDate = get<std::uint32_t>(image, kAddrFactoryCalibrationDate);
    params.gainV = std::bit_cast<float>(get<std::uint32_t>(image, kAddrGainV));
    params.gainI = std::bit_cast<float>(get<std::uint32_t>(image, kAddrGainI));
    params.lastCalibrationDate = get<std::uint32_t>(image, kAddrLastCalibrationDate);
    params.logPeriod = get<std::uint16_t>(image, kAddrLogPeriod);
    return params;
}

std::uint32_t CalibrationDate(int day, int month, int year) {
    return static_cast<std::uint32_t>((day * 100 + month) * 10000 + year);
}

}  // namespace voltaris
