// The meter's command frames and reply formats: builders of every command and parsers of every
// reply the program interprets. No I/O here; MeterCommands.h runs the exchanges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace voltaris {

// Commands without fields.
inline constexpr const char* kStatusCommand = "<?>";
inline constexpr const char* kClearCommand = "<C>";
inline constexpr const char* kStartCommand = "<S>";
inline constexpr const char* kBulkCommand = "<B>";
inline constexpr const char* kPeriodCommand = "<F>";
inline constexpr const char* kResetCommand = "<R>";
inline constexpr const char* kListFilesCommand = "<U>";

inline constexpr std::size_t kStatusReplyLength = 23;
inline constexpr std::size_t kStatePosition = 9;
inline constexpr std::size_t kHardwareVersionPosition = 16;
inline constexpr std::size_t kPeriodReplyLength = 7;
inline constexpr std::size_t kEepromReplyLength = 4;

// Capture layout: one block of 256 sample pairs per mains period, 4 bytes per pair.
inline constexpr std::size_t kSamplesPerBlock = 256;
inline constexpr std::size_t kBytesPerSamplePair = 4;
inline constexpr std::size_t kBlockBytes = kSamplesPerBlock * kBytesPerSamplePair;
inline constexpr int kMaxPeriods = 85;
inline constexpr int kMaxBlocks = kMaxPeriods + 2;
inline constexpr std::size_t kMaxBulkBytes = kMaxBlocks * kBlockBytes;

// Capture state letters at kStatePosition of the status reply.
inline constexpr char kStateArmed = 'A';
inline constexpr char kStateComplete = 'C';

// Trigger set-up sent with T: thresholds in volts, amperes and watts.
struct TriggerSetup {
    int preTrigger = 0;  // pre-trigger slider position, 0 .. periods - 1
    double urmsLow = 0;
    double irmsLow = 0;
    double prmsLow = 0;
    double urmsHigh = 0;
    double irmsHigh = 0;
    double prmsHigh = 0;
    double upeakMax = 0;
    double ipeakMax = 0;
};

// Decoded status reply.
struct MeterStatus {
    char state = 0;           // capture state letter
    int hardwareVersion = 0;  // hexadecimal pair at positions 16-17
    int generation = 0;       // 1 for digit '0' at position 16, 2 for '1', 0 otherwise
};

// "<L%2.2X>": number of 256-sample blocks to capture (periods + 2).
[[nodiscard]] std::string BuildLCommand(int blocks);
// "<T...>": pre-trigger and the eight thresholds converted to raw units with the gains.
[[nodiscard]] std::string BuildTCommand(const TriggerSetup& trigger, float gainV, float gainI);
// "<E...>": year - 2000, month, day, hour, minute, second of a local time.
[[nodiscard]] std::string BuildECommand(const std::tm& localTime);
// "<V%2.2X>": read one EEPROM byte.
[[nodiscard]] std::string BuildVCommand(int address);
// "<W%2.2X%2.2X>": write one EEPROM byte.
[[nodiscard]] std::string BuildWCommand(int address, std::uint8_t value);
// "<Y%s>": delete one file of the SD card.
[[nodiscard]] std::string BuildYCommand(const std::string& fileName);
// "<X%s %04X>": read one block of a file of the SD card.
[[nodiscard]] std::string BuildXCommand(const std::string& fileName, int block);
// "<M%04X>": logging period in mains periods.
[[nodiscard]] std::string BuildMCommand(int logPeriod);

// Raw threshold fields of T: value / scale truncated toward zero, negative or not-a-number
// values as 0, values beyond the field as the field's largest value.
[[nodiscard]] std::uint16_t RawThreshold16(double value, double scale);
[[nodiscard]] std::uint32_t RawThreshold32(double value, double scale);

// True for the acknowledgement: exactly 3 bytes whose second is 'K'.
[[nodiscard]] bool IsAcknowledge(const char* reply, std::size_t length);

// Shapes of the replies, by command. A reply of another shape belongs to another command (a
// late one) and is never read as a value: the exchange counts it as a failed attempt.
// "<" + 21 characters + ">", the status of "<?>".
[[nodiscard]] bool IsStatusReply(std::string_view reply);
// "<hh>": the byte of a V command, two hexadecimal digits.
[[nodiscard]] bool IsEepromReply(std::string_view reply);
// "<Fhhhh>": the mains period of F, four hexadecimal digits.
[[nodiscard]] bool IsMainsPeriodReply(std::string_view reply);
// "<K>" or "<N>": the meter accepted or refused an acknowledged command.
[[nodiscard]] bool IsAcknowledgeReply(std::string_view reply);

// Two characters read as one hexadecimal number (as sscanf "%x" reads them), 0..255; 0 when
// they do not start with a hexadecimal digit.
[[nodiscard]] int ParseHexPair(const char* twoChars);

// The status reply decoded; empty unless it is exactly 23 characters.
[[nodiscard]] std::optional<MeterStatus> ParseStatusReply(const char* reply, std::size_t length);

// The mains period in meter ticks from "<Fhhhh>"; 0 when the reply is not 7 characters.
[[nodiscard]] std::uint16_t ParseMainsPeriod(const char* reply, std::size_t length);

// The byte of a 4-character "<Vhh>"-style reply; empty for any other length.
[[nodiscard]] std::optional<std::uint8_t> ParseEepromReply(const char* reply, std::size_t length);

// Splits a bulk reply into voltage and current samples (big-endian 16-bit two's complement,
// voltage first in each 4-byte pair). Unpacks as many whole pairs as the raw bytes and both
// outputs allow, and returns that count.
std::size_t UnpackSamples(std::span<const std::uint8_t> raw, std::span<std::int16_t> voltage,
                          std::span<std::int16_t> current);

}  // namespace voltaris
