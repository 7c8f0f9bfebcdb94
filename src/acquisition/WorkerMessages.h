// Texts of the messages the acquisition worker asks its observer to show.
#pragma once

namespace voltaris {

inline constexpr const char* kCommunicationErrorText = "Communication error ! Voltaris resetted.";
inline constexpr const char* kCalibrationUpdatedText = "Calibration updated, wait for refresh !";
inline constexpr const char* kCalibrationStoreErrorText =
    "Calibration storage error, please restore factory calibration";
inline constexpr const char* kFactoryCalibrationUpdatedText =
    "Factory calibration updated, wait for refresh !";
inline constexpr const char* kFactoryCalibrationStoreErrorText =
    "Factory calibration storage error !";
inline constexpr const char* kStoreErrorCaption = "ERROR";
// Shown in the window's status area and on the command line's standard error, not in a box.
inline constexpr const char* kLinkLostText =
    "Link to the meter lost: reconnecting until it answers again.";
inline constexpr const char* kLinkRestoredText = "Link to the meter restored";

}  // namespace voltaris
