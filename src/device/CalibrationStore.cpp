// Calibration load and stores over the meter's one-byte EEPROM commands.
#include "device/CalibrationStore.h"

#include <cmath>

#include "device/MeterCommands.h"

namespace voltaris {

namespace {

constexpr int kFirstUserAddress = kAddrGainV;            // 14
constexpr int kFirstFactoryAddress = kAddrSerialNumber;  // 0
constexpr int kEndOfStoredAddresses = kAddrLogPeriod;    // 26: the logging period is not stored

bool factoryCalibrationAvailable(const CalibrationParams& params) {
    return params.factoryCalibrationDate <= kLatestFactoryCalibrationDate &&
           UsableGain(params.gainV) && UsableGain(params.gainI) &&
           UsableGain(params.factoryGainV) && UsableGain(params.factoryGainI);
}

bool writeRange(SerialPort& port, const CalibrationParams& params, int first, int end) {
    CalibrationImage image{};
    EncodeCalibration(params, image);
    for (int address = first; address < end; ++address) {
        if (!WriteEepromByte(port, address, image[static_cast<std::size_t>(address)])) {
            return false;
        }
    }
    return true;
}

}  // namespace

void InstallDefaultCalibration(CalibrationParams& params) {
    params.gainV = kDefaultGainV;
    params.factoryGainV = kDefaultGainV;
    params.gainI = kDefaultGainI;
    params.factoryGainI = kDefaultGainI;
    params.serialNumber = kDefaultSerialNumber;
    params.lastCalibrationDate = kUnknownCalibrationDate;
    params.factoryCalibrationDate = kUnknownCalibrationDate;
}

CalibrationLoadResult LoadCalibration(SerialPort& port, CalibrationParams& params) {
    CalibrationLoadResult result;
    // Bytes not read keep their previous values: start from the image of what is held now.
    CalibrationImage image{};
    EncodeCalibration(params, image);
    for (int address = 0; address < kCalibrationBytes; ++address) {
        std::uint8_t value = image[static_cast<std::size_t>(address)];
        if (!ReadEepromByte(port, address, value)) {
            result.readFailed = true;
            result.failedAddress = address;
            break;
        }
        image[static_cast<std::size_t>(address)] = value;
    }
    params = DecodeCalibration(image);
    if (!factoryCalibrationAvailable(params)) {
        result.factoryCheckFailed = true;
        InstallDefaultCalibration(params);
    }
    return result;
}

bool StoreCalibration(SerialPort& port, const CalibrationParams& params) {
    return writeRange(port, params, kFirstUserAddress, kEndOfStoredAddresses);
}

bool StoreFactoryCalibration(SerialPort& port, const CalibrationParams& params) {
    return writeRange(port, params, kFirstFactoryAddress, kEndOfStoredAddresses);
}

}  // namespace voltaris
