// Loading the calibration from the meter's EEPROM and storing it back, byte by byte in address
// order.
#pragma once

#include "device/CalibrationParams.h"

namespace voltaris {

class SerialPort;

inline constexpr const char* kCalibrationReadErrorText = "Error reading calibration parameters";
inline constexpr const char* kFactoryCalibrationMissingText =
    "Warning : factory calibration not available";
inline constexpr const char* kCalibrationErrorCaption = "ERROR !";

struct CalibrationLoadResult {
    bool readFailed = false;          // show kCalibrationReadErrorText
    int failedAddress = -1;           // first address whose read failed, -1 when none did
    bool factoryCheckFailed = false;  // show kFactoryCalibrationMissingText; defaults installed
};

// Reads addresses 0..27 in order into `params`, stopping at the first failed read (bytes before
// it keep their new values, the others their previous ones). Then, when the factory date is
// after 31122030 or a gain is not a finite number above zero, installs the defaults
// (logPeriod kept) and reports the factory check as failed.
[[nodiscard]] CalibrationLoadResult LoadCalibration(SerialPort& port, CalibrationParams& params);

// Writes addresses 14..25 (gains in use and last calibration date) in increasing order,
// stopping at the first failure. True when every byte was acknowledged.
[[nodiscard]] bool StoreCalibration(SerialPort& port, const CalibrationParams& params);

// Writes addresses 0..25 (serial number, factory pair and date, pair in use and date) in
// increasing order, stopping at the first failure. True when every byte was acknowledged.
[[nodiscard]] bool StoreFactoryCalibration(SerialPort& port, const CalibrationParams& params);

// Installs the defaults after a failed factory check; logPeriod is left as it is.
void InstallDefaultCalibration(CalibrationParams& params);

}  // namespace voltaris
