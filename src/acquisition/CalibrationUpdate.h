// Recalibration against a reference instrument, shared by the window's Calibration page and
// `voltaris-cli calibrate`: the conditions a new calibration must meet, the new gains from the
// ratio of the true values to those just measured, the administrator password, the date, and
// the three calibrations that can be stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "acquisition/AcqRequest.h"
#include "device/CalibrationParams.h"

namespace voltaris {

inline constexpr const char* kCalibrationPasswordReference = "271828";

// Limits of the conditions, inclusive.
inline constexpr int kMinCalibrationPeriods = 50;
inline constexpr double kMinActualVoltage = 40;                // V
inline constexpr double kMaxActualVoltage = 400;               // V
inline constexpr double kMinActualCurrentMilliamperes = 100;   // mA
inline constexpr double kMaxActualCurrentMilliamperes = 6000;  // mA

// String-table ids of the page's texts.
enum CalibrationText : int {
    kCalAcquisitionOnGoing = 133,
    kCalErrorCaption = 134,
    kCalNotEnoughPeriods = 135,
    kCalWrongActualVoltage = 136,
    kCalWrongActualCurrent = 137,
    kCalConfirmStore = 138,
    kCalConfirmRestore = 140,
    kCalRestoreAcquisitionOnGoing = 148,
    kCalWrongPassword = 169,
};
inline constexpr const char* kCalConfirmCaption = "Calibration";

// Refusals of an entry before any condition is checked.
inline constexpr const char* kNotANumberText = "Please enter a number.";
inline constexpr const char* kNotAPositiveIntegerText = "Please enter a positive integer.";
inline constexpr const char* kSerialNumberRangeText =
    "Serial number out of range : enter a number from 0 to 65535";

// What the last capture measured, and the gains its samples were scaled with.
struct CalibrationMeasurement {
    double vrms = 0;  // V
    double irms = 0;  // A
    int periodsAnalysed = 0;
    float gainV = kDefaultGainV;
    float gainI = kDefaultGainI;
};

// The true values read on the reference instrument.
struct CalibrationActuals {
    double vrms = 0;              // V
    double irmsMilliamperes = 0;  // mA
};

struct CalibrationGains {
    float gainV = 0;
    float gainI = 0;
};

// gainV := Vrms actual / Vrms x gainV and gainI := Irms actual x 0.001 / Irms x gainI, computed
// in extended precision and rounded once to the meter's 32-bit floats.
[[nodiscard]] CalibrationGains NewCalibrationGains(const CalibrationMeasurement& measured,
                                                   const CalibrationActuals& actual);

// The first condition a new calibration fails, as the id of its text, in this order: an
// acquisition requested or running, fewer than 50 analysed periods, a true voltage outside
// 40..400 V, a true current outside 100..6000 mA. A gain that would not be a finite number
// above zero (nothing measured on that input) fails the voltage or current condition: stored,
// it would spoil every later measurement of the meter. Nothing when all are met.
[[nodiscard]] std::optional<int> CalibrationRefusal(AcqStatus state,
                                                    const CalibrationMeasurement& measured,
                                                    const CalibrationActuals& actual);

// Byte comparison with the reference, no trimming. Logs whether it was accepted, never the text.
[[nodiscard]] bool CalibrationPasswordAccepted(std::string_view typed);

// Today's date from the local clock as the meter keeps it: DDMMYYYY.
[[nodiscard]] std::uint32_t TodaysCalibrationDate();

// A digits-only entry as a number; nothing when empty or not digits. Saturates instead of
// wrapping, so a huge serial number stays out of range.
[[nodiscard]] std::optional<std::uint64_t> ParseDigits(std::string_view text);
// A serial number entry; nothing above 65535.
[[nodiscard]] std::optional<std::uint16_t> SerialNumberFromValue(std::uint64_t value);

// The calibrations the page stores, from the one in force.
// User calibration: the new gains and today's date; the worker writes addresses 14..25.
[[nodiscard]] CalibrationParams UserCalibration(CalibrationParams current,
                                                const CalibrationGains& gains, std::uint32_t date);
// Factory calibration: the new gains both as factory and in-use gains, the serial number, both
// dates; the worker writes addresses 0..25.
[[nodiscard]] CalibrationParams FactoryCalibration(CalibrationParams current,
                                                   const CalibrationGains& gains,
                                                   std::uint16_t serialNumber, std::uint32_t date);
// The factory gains and date back in use; written as a user calibration.
[[nodiscard]] CalibrationParams RestoredFactoryCalibration(CalibrationParams current);

}  // namespace voltaris
