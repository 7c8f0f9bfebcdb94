// The SD-card file service, exchange by exchange.
#include "device/CardFiles.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr std::size_t kSizeOffset = 7;
constexpr std::size_t kSizeDigits = 8;
// Room for the U reply of 4000 files; a longer listing fails like a reply without '>'.
constexpr std::size_t kListCapacity = 2 + 4000 * kListEntryLength + 1;
constexpr std::size_t kShortReplyCapacity = 64;

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::vector<CardFile> ParseFileList(std::string_view reply) {
    std::vector<CardFile> files;
    if (reply.size() < 2 + kListEntryLength) {
        return files;
    }
    const std::size_t count = (reply.size() - 2) / kListEntryLength;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view entry = reply.substr(1 + i * kListEntryLength, kListEntryLength);
        CardFile file;
        file.name = std::string(entry.substr(0, kCardNameLength));
        const std::string_view digits = entry.substr(kSizeOffset, kSizeDigits);
        (void)std::from_chars(digits.data(), digits.data() + digits.size(), file.size, 16);
        files.push_back(std::move(file));
    }
    return files;
}

bool IsNoCardReply(std::string_view reply) {
    return reply.size() >= 2 && reply[1] == 'Z';
}

bool IsPlainCardFileName(std::string_view name) {
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos) {
        return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '/' || c == '\\' || isControl(c); });
}

std::string PrintableCardFileName(std::string_view name) {
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::size_t> LogBlockLengths(std::uint32_t size) {
    std::vector<std::size_t> lengths;
    std::size_t remaining = size;
    while (remaining > kLogBlockBytes) {
        lengths.push_back(kLogBlockBytes);
        remaining -= kLogBlockBytes;
    }
    if (remaining > 0) {
        lengths.push_back(remaining);
    }
    return lengths;
}

ListExchange SendListCommand(SerialPort& port, int maxEmptyReads) {
    std::vector<char> reply(kListCapacity);
    std::size_t length = 0;
    ListExchange result;
    result.answered =
        SendCommand(port, kListFilesCommand, reply.data(), reply.size(), 0, length, maxEmptyReads);
    result.reply.assign(reply.data(), length);
    return result;
}

BlockRead ReadLogBlock(SerialPort& port, const std::string& name, int block, std::size_t dataLength,
                       std::vector<char>& buffer) {
    const std::size_t expected = dataLength + 2;
    buffer.resize(expected + 1);
    BlockRead result;
    const std::string command = BuildXCommand(name, block);
    const bool answered = SendCommand(port, command.c_str(), buffer.data(), buffer.size(), expected,
                                      result.received, kEmptyReadsBlock);
    result.complete = answered && result.received == expected;
    // SendCommand fills the buffer from its start with the last attempt's bytes only: nothing
    // past `received` is ever looked at.
    const std::size_t dataBytes =
        result.complete ? dataLength : (result.received > 0 ? result.received - 1 : 0);
    result.data = std::span(reinterpret_cast<const std::uint8_t*>(buffer.data()) + 1,
                            std::min(dataBytes, dataLength));
    return result;
}

bool DeleteCardFile(SerialPort& port, const std::string& name) {
    char reply[kShortReplyCapacity];
    std::size_t length = 0;
    const std::string command = BuildYCommand(name);
    if (!SendCommand(port, command.c_str(), reply, sizeof reply, 0, length, kEmptyReadsDelete)) {
        return false;
    }
    const std::string_view answer(reply, length);
    return answer != "<N>" && !IsNoCardReply(answer);
}

bool SendLogPeriod(SerialPort& port, int period) {
    const std::string command = BuildMCommand(period);
    LogMessage(kLogModule, LogInfo, "Command=%s", command.c_str());
    char reply[kShortReplyCapacity];
    std::size_t length = 0;
    return SendCommand(port, command.c_str(), reply, sizeof reply, 0, length, kEmptyReadsLogPeriod);
}

std::size_t DrainAfterFile(SerialPort& port) {
    const std::size_t drained = port.discardInput();
    LogMessage(kLogModule, LogInfo, "nbytesreceived =%d", static_cast<int>(drained));
    return drained;
}

}  // namespace voltaris
