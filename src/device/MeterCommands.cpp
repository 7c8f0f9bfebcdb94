// Acknowledged commands, status query and EEPROM access over SendCommand.
#include "device/MeterCommands.h"

#include "infra/Log.h"

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
// Short replies are a few characters; this leaves room for a misbehaving meter's longer text.
constexpr std::size_t kShortReplyCapacity = 64;

bool validAddress(int address) {
    return address >= 0 && address <= 0xFF;
}
}  // namespace

CommandOutcome SendAcknowledged(SerialPort& port, const std::string& command, int maxEmptyReads) {
    char reply[kShortReplyCapacity];
    std::size_t length = 0;
    if (!SendCommand(port, command.c_str(), reply, sizeof reply, 0, length, maxEmptyReads,
                     IsAcknowledgeReply)) {
        return CommandOutcome::Failed;
    }
    return IsAcknowledge(reply, length) ? CommandOutcome::Accepted : CommandOutcome::Refused;
}

StatusQuery QueryStatus(SerialPort& port) {
    char reply[kShortReplyCapacity];
    std::size_t length = 0;
    StatusQuery query;
    query.answered = SendCommand(port, kStatusCommand, reply, sizeof reply, 0, length,
                                 kEmptyReadsCommand, IsStatusReply);
    query.reply.assign(reply, length);
    if (query.answered) {
        query.status = ParseStatusReply(reply, length);
    }
    return query;
}

bool ReadMainsPeriod(SerialPort& port, std::uint16_t& ticks) {
    char reply[kShortReplyCapacity];
    std::size_t length = 0;
    if (!SendCommand(port, kPeriodCommand, reply, sizeof reply, 0, length, kEmptyReadsCommand,
                     IsMainsPeriodReply)) {
        return false;
    }
    ticks = ParseMainsPeriod(reply, length);
    return true;
}

bool ReadEepromByte(SerialPort& port, int address, std::uint8_t& value) {
    bool ok = false;
    if (validAddress(address)) {
        char reply[kShortReplyCapacity];
        std::size_t length = 0;
        const std::string command = BuildVCommand(address);
        if (SendCommand(port, command.c_str(), reply, sizeof reply, 0, length, kEmptyReadsEeprom,
                        IsEepromReply)) {
            if (const auto byte = ParseEepromReply(reply, length)) {
                value = *byte;
                ok = true;
            }
        }
    }
    LogMessage(kLogModule, LogDebug1, "read eeprom[%d]=%d, code %d", address,
               static_cast<int>(static_cast<std::int8_t>(value)), ok ? 1 : 0);
    return ok;
}

bool WriteEepromByte(SerialPort& port, int address, std::uint8_t value) {
    const bool ok = validAddress(address) &&
                    SendAcknowledged(port, BuildWCommand(address, value), kEmptyReadsEeprom) ==
                        CommandOutcome::Accepted;
    LogMessage(kLogModule, LogDebug1, "write eeprom[%d]=%d, code %d", address,
               static_cast<int>(value), ok ? 1 : 0);
    return ok;
}

}  // namespace voltaris
