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
    Failed,    // no complete reply after the retries
    Refused,   // a reply other than the acknowledgement
    Accepted,  // "<K>"
};

// Sends a command that the meter acknowledges with "<K>".
[[nodiscard]] CommandOutcome SendAcknowledged(SerialPort& port, const std::string& command,
                                              int maxEmptyReads = kEmptyReadsCommand);

struct StatusQuery {
    bool answered = false;              // the exchange completed
    std::string reply;                  // the reply text as received
    std::optional<MeterStatus> status;  // set when the reply has the status length
};

// Sends "<?>" and decodes the reply.
[[nodiscard]] StatusQuery QueryStatus(SerialPort& port);

// Reads the EEPROM byte at `address` (0..255) into `value`; `value` is unchanged on failure.
[[nodiscard]] bool ReadEepromByte(SerialPort& port, int address, std::uint8_t& value);

// Writes `value` at EEPROM `address` (0..255); true only when the meter acknowledges.
[[nodiscard]] bool WriteEepromByte(SerialPort& port, int address, std::uint8_t value);

}  // namespace voltaris
