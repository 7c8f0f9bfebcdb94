// The file service of a second-generation meter's SD card: the U listing, the X blocks of a log
// file, Y to delete a file and M to set the logging period. Parsing and exchanges only; the
// download into converted files is files/LogDownload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/SerialPort.h"

namespace voltaris {

// Empty-read budgets of the file-service exchanges.
inline constexpr int kEmptyReadsListWindow = 20;  // U from the main window (SD-card check)
inline constexpr int kEmptyReadsListDialog = 2;   // U inside the download dialog
inline constexpr int kEmptyReadsBlock = 2;        // X
inline constexpr int kEmptyReadsDelete = 50;      // Y
inline constexpr int kEmptyReadsLogPeriod = 2;    // M

inline constexpr std::size_t kCardNameLength = 6;
inline constexpr std::size_t kListEntryLength = 16;
inline constexpr std::size_t kLogRecordBytes = 27;
inline constexpr std::size_t kLogBlockBytes = 27000;  // 1000 records

// One file of the card as the listing gives it.
struct CardFile {
    std::string name;        // the 6 bytes of the entry, as they came
    std::uint32_t size = 0;  // bytes
    bool operator==(const CardFile&) const = default;
};

// The entries of a U reply: "<", 16 bytes per file (name in 0-5, size as 8 hexadecimal digits in
// 7-14), ">". (length - 2) / 16 entries; a reply shorter than 18 bytes lists nothing. A size
// field that is not hexadecimal reads as far as its digits go.
[[nodiscard]] std::vector<CardFile> ParseFileList(std::string_view reply);

// A U reply whose second byte is 'Z': the meter has no SD card.
[[nodiscard]] bool IsNoCardReply(std::string_view reply);

// True for a name that can only name a file in the folder it is joined to: no path separator,
// no "..", no NUL or other control character.
[[nodiscard]] bool IsPlainCardFileName(std::string_view name);

// The name with every byte outside printable ASCII written as \xNN, for messages and logs.
[[nodiscard]] std::string PrintableCardFileName(std::string_view name);

// Data lengths of the X blocks of a file of `size` bytes, block 0 first: 27000 bytes each, the
// last one the remainder (a full 27000 when the size is a multiple of it); none for 0 bytes.
[[nodiscard]] std::vector<std::size_t> LogBlockLengths(std::uint32_t size);

// One U exchange. `reply` holds what arrived, also when the exchange failed.
struct ListExchange {
    bool answered = false;
    std::string reply;
};
[[nodiscard]] ListExchange SendListCommand(SerialPort& port, int maxEmptyReads);

// What one X exchange brought.
struct BlockRead {
    bool complete = false;     // the reply came whole: framing byte, every data byte, framing byte
    std::size_t received = 0;  // bytes of the reply, framing included
    std::span<const std::uint8_t> data;  // the data bytes that arrived, inside the buffer
};

// Reads block `block` of `name` expecting `dataLength` data bytes ("<X%s %04X>", 2 empty reads)
// into `buffer` (resized to fit). A complete reply gives its data between the framing bytes; a
// shorter one gives the bytes after its opening byte, since its closing byte never came. Only
// bytes of this exchange are ever given.
[[nodiscard]] BlockRead ReadLogBlock(SerialPort& port, const std::string& name, int block,
                                     std::size_t dataLength, std::vector<char>& buffer);

// Sends "<Y%s>" (50 empty reads). True when the meter answered and did not refuse ("<N>") or
// report a missing card ("<Z>").
[[nodiscard]] bool DeleteCardFile(SerialPort& port, const std::string& name);

// Sends "<M%04X>" with the period in mains periods (2 empty reads) after logging
// "Command=%s". True when the meter answered.
[[nodiscard]] bool SendLogPeriod(SerialPort& port, int period);

// Empties what is waiting on the line after a file's last block; the count of bytes thrown away.
std::size_t DrainAfterFile(SerialPort& port);

}  // namespace voltaris
