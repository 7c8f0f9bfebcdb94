// Recalibration rules.
#include "acquisition/CalibrationUpdate.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

bool usableGain(float gain) {
    return std::isfinite(gain) && gain > 0;
}

float scaledGain(double actual, double measured, float gain) {
    const long double g = static_cast<long double>(actual) / static_cast<long double>(measured) *
                          static_cast<long double>(gain);
    // A ratio beyond the float range becomes infinity, which the conditions refuse.
    return static_cast<float>(g);
}

}  // namespace

CalibrationGains NewCalibrationGains(const CalibrationMeasurement& measured,
                                     const CalibrationActuals& actual) {
    return {scaledGain(actual.vrms, measured.vrms, measured.gainV),
            scaledGain(actual.irmsMilliamperes * 0.001, measured.irms, measured.gainI)};
}

std::optional<int> CalibrationRefusal(AcqStatus state, const CalibrationMeasurement& measured,
                                      const CalibrationActuals& actual) {
    if (state != AcqStatus::Idle) {
        return kCalAcquisitionOnGoing;
    }
    if (measured.periodsAnalysed < kMinCalibrationPeriods) {
        return kCalNotEnoughPeriods;
    }
    const CalibrationGains gains = NewCalibrationGains(measured, actual);
    if (!(actual.vrms >= kMinActualVoltage && actual.vrms <= kMaxActualVoltage) ||
        !usableGain(gains.gainV)) {
        return kCalWrongActualVoltage;
    }
    if (!(actual.irmsMilliamperes >= kMinActualCurrentMilliamperes &&
          actual.irmsMilliamperes <= kMaxActualCurrentMilliamperes) ||
        !usableGain(gains.gainI)) {
        return kCalWrongActualCurrent;
    }
    return std::nullopt;
}

bool CalibrationPasswordAccepted(std::string_view typed) {
    const bool accepted = typed == std::string_view(kCalibrationPasswordReference);
    LogMessage(kLogModule, LogInfo, accepted ? "password accepted" : "password refused");
    return accepted;
}

std::uint32_t TodaysCalibrationDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CalibrationDate(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

std::optional<std::uint64_t> ParseDigits(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

std::optional<std::uint16_t> SerialNumberFromValue(std::uint64_t value) {
    if (value > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

CalibrationParams UserCalibration(CalibrationParams current, const CalibrationGains& gains,
                                  std::uint32_t date) {
    current.gainV = gains.gainV;
    current.gainI = gains.gainI;
    current.lastCalibrationDate = date;
    return current;
}

CalibrationParams FactoryCalibration(CalibrationParams current, const CalibrationGains& gains,
                                     std::uint16_t serialNumber, std::uint32_t date) {
    current = UserCalibration(current, gains, date);
    current.factoryGainV = gains.gainV;
    current.factoryGainI = gains.gainI;
    current.serialNumber = serialNumber;
    current.factoryCalibrationDate = date;
    return current;
}

CalibrationParams RestoredFactoryCalibration(CalibrationParams current) {
    current.gainV = current.factoryGainV;
    current.gainI = current.factoryGainI;
    current.lastCalibrationDate = current.factoryCalibrationDate;
    return current;
}

}  // namespace voltaris
