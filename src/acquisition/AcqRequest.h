// The request block the user interface writes and the acquisition worker copies at the top of
// every loop iteration: what to do, on which port, with which settings and calibration. Where
// the captures come from (meter, demonstration, files) is the worker's capture source.
#pragma once

#include <cstdint>

#include "device/CalibrationParams.h"
#include "device/MeterProtocol.h"

namespace voltaris {

class SerialPort;

// What the worker is asked to do.
enum class AcqStatus : std::int32_t {
    Idle = 0,                     // nothing to do
    RunRequested = 1,             // arm the meter for continuous captures
    Running = 2,                  // continuous capture armed, waiting for data
    SingleRequested = 3,          // arm the meter for one capture
    SingleRunning = 4,            // single capture armed, waiting for data
    StoreCalibration = 5,         // write the user calibration to the meter
    StoreFactoryCalibration = 6,  // write the factory calibration to the meter
};

// Who may use the meter's port. The worker owns it; the file service of the SD card borrows it
// while the acquisition is Idle, and the worker leaves it alone until it is handed back.
enum class PortLoan : std::int32_t {
    None = 0,       // the worker's
    Requested = 1,  // the file service asked; the worker lends it at the top of its next iteration
    Lent = 2,       // the file service's: the worker touches it in no way
};

inline constexpr int kMinPeriodCount = 1;
inline constexpr int kMaxPeriodCount = kMaxPeriods;  // 85
inline constexpr int kDefaultPeriodCount = 10;

// Trigger thresholds in volts, amperes and watts, in the order they are sent with T.
struct TriggerThresholds {
    float urmsLow = 0;
    float irmsLow = 0;
    float prmsLow = 0;
    float urmsHigh = 0;
    float irmsHigh = 0;
    float prmsHigh = 0;
    float upeakMax = 0;
    float ipeakMax = 0;

    friend bool operator==(const TriggerThresholds&, const TriggerThresholds&) = default;
};

struct AcqRequest {
    bool exitRequested = false;
    AcqStatus state = AcqStatus::RunRequested;
    // Port of the selected meter, owned by the list of detected meters; null for none.
    SerialPort* portHandle = nullptr;
    std::uint8_t periodCount = kDefaultPeriodCount;  // 1..85 mains periods per capture
    std::uint8_t preTrigger = 0;                     // 0 .. periodCount - 1, field 1 of T
    TriggerThresholds trigger;
    CalibrationParams calibration;
    PortLoan portLoan = PortLoan::None;
};

}  // namespace voltaris
