// Names of serial ports: the COMn rules of Windows port names, the Bluetooth description rule
// and the drop-down entry text of a detected meter.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace voltaris {

// False for empty text; true when every character is a decimal digit (or, with `allowColon`,
// a digit or ':').
[[nodiscard]] bool IsAllDigits(std::string_view text, bool allowColon);

// The port number of a Windows port name: "COM" in any letter case followed by decimal digits
// only ("com7" gives 7). Empty for "COM", "COMA", "COM1:" and numbers that do not fit an int.
[[nodiscard]] std::optional<int> ParseComPortName(std::string_view name);

// True when the device description mentions Bluetooth in either case of its first letter:
// "uetooth" found at a position after the first character.
[[nodiscard]] bool IsBluetoothDescription(std::string_view description);

// Drop-down entry of a detected meter: "V1 " or "V2 " followed by the port's name.
[[nodiscard]] std::string MeterEntryText(int generation, std::string_view portName);

}  // namespace voltaris
