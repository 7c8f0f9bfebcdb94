// Exchanges with the meter built on SendCommand: acknowledged commands, the status query and
// the EEPROM byte access.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "device/SerialPort.h"

namespace voltaris {

enum class CommandOutcome {
    Failed,    // no reply of the acknowledgement's shape after the retries
    Refused,   // "<N>"
    Accepted,  // "<K>"
};

// Sends a command that the meter acknowledges with "<K>" or refuses with "<N>".
[[nodiscard]] CommandOutcome SendAcknowledged(SerialPort& port, const std::string& command,
                                              int maxEmptyReads = kEmptyReadsCommand);

struct StatusQuery {
    bool answered = false;              // a reply of the status shape came
    std::string reply;                  // the reply text as received
    std::optional<MeterStatus> status;  // set when answered
};

// Sends "<?>" and decodes the reply. A reply of another length is retried, then a failure.
[[nodiscard]] StatusQuery QueryStatus(SerialPort& port);

// Sends "<F>" and stores the mains period in meter ticks; `ticks` is unchanged on failure.
[[nodiscard]] bool ReadMainsPeriod(SerialPort& port, std::uint16_t& ticks);

// Reads the EEPROM byte at `address` (0..255) into `value`; `value` is unchanged on failure.
[[nodiscard]] bool ReadEepromByte(SerialPort& port, int address, std::uint8_t& value);

// Writes `value` at EEPROM `address` (0..255); true only when the meter acknowledges.
[[nodiscard]] bool WriteEepromByte(SerialPort& port, int address, std::uint8_t value);

}  // namespace voltaris
