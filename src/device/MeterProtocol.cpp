// Frames of the meter's commands and decoding of its replies.
#include "device/MeterProtocol.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace voltaris {

namespace {

// Keeps a field inside its fixed width so that a frame never grows or shifts.
int clampField(int value, int maxValue) {
    return std::clamp(value, 0, maxValue);
}

template <std::size_t N, typename... Args>
std::string format(const char* fmt, Args... args) {
    char text[N];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

// value / scale truncated toward zero, within 0 .. maxValue.
double rawThreshold(double value, double scale, double maxValue) {
    const double raw = value / scale;
    if (!(raw > 0)) {
        return 0;  // negative, zero or not a number
    }
    return std::min(std::trunc(raw), maxValue);
}

// A frame "<" + `body` + ">" whose body has `length` characters.
bool isFrame(std::string_view reply, std::size_t bodyLength) {
    return reply.size() == bodyLength + 2 && reply.front() == '<' && reply.back() == '>';
}

bool allHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::string BuildLCommand(int blocks) {
    return format<16>("<L%2.2X>", clampField(blocks, 0xFF));
}

std::uint16_t RawThreshold16(double value, double scale) {
    return static_cast<std::uint16_t>(rawThreshold(value, scale, 0xFFFF));
}

std::uint32_t RawThreshold32(double value, double scale) {
    return static_cast<std::uint32_t>(rawThreshold(value, scale, 0xFFFFFFFF));
}

std::string BuildTCommand(const TriggerSetup& t, float gainV, float gainI) {
    const double v = gainV;
    const double i = gainI;
    const double p = v * i;
    return format<64>(
        "<T%2.2X%4.4X%4.4X%8.8X%4.4X%4.4X%8.8X%4.4X%4.4X>",
        static_cast<unsigned>(clampField(t.preTrigger, 0xFF)),
        unsigned{RawThreshold16(t.urmsLow, v)}, unsigned{RawThreshold16(t.irmsLow, i)},
        unsigned{RawThreshold32(t.prmsLow, p)}, unsigned{RawThreshold16(t.urmsHigh, v)},
        unsigned{RawThreshold16(t.irmsHigh, i)}, unsigned{RawThreshold32(t.prmsHigh, p)},
        unsigned{RawThreshold16(t.upeakMax, v)}, unsigned{RawThreshold16(t.ipeakMax, i)});
}

std::string BuildECommand(const std::tm& t) {
    return format<32>("<E%02X%02X%02X%02X%02X%02X>", clampField(t.tm_year - 100, 0xFF),
                      clampField(t.tm_mon + 1, 0xFF), clampField(t.tm_mday, 0xFF),
                      clampField(t.tm_hour, 0xFF), clampField(t.tm_min, 0xFF),
                      clampField(t.tm_sec, 0xFF));
}

std::string BuildVCommand(int address) {
    return format<16>("<V%2.2X>", clampField(address, 0xFF));
}

std::string BuildWCommand(int address, std::uint8_t value) {
    return format<16>("<W%2.2X%2.2X>", clampField(address, 0xFF), unsigned{value});
}

std::string BuildYCommand(const std::string& fileName) {
    return "<Y" + fileName + ">";
}

std::string BuildXCommand(const std::string& fileName, int block) {
    return "<X" + fileName + format<16>(" %04X>", clampField(block, 0xFFFF));
}

std::string BuildMCommand(int logPeriod) {
    return format<16>("<M%04X>", clampField(logPeriod, 0xFFFF));
}

bool IsAcknowledge(const char* reply, std::size_t length) {
    return reply != nullptr && length == 3 && reply[1] == 'K';
}

bool IsStatusReply(std::string_view reply) {
    return isFrame(reply, kStatusReplyLength - 2);
}

bool IsEepromReply(std::string_view reply) {
    return isFrame(reply, 2) && allHex(reply.substr(1, 2));
}

bool IsMainsPeriodReply(std::string_view reply) {
    return isFrame(reply, 5) && reply[1] == 'F' && allHex(reply.substr(2, 4));
}

bool IsAcknowledgeReply(std::string_view reply) {
    return isFrame(reply, 1) && (reply[1] == 'K' || reply[1] == 'N');
}

int ParseHexPair(const char* twoChars) {
    const char pair[3] = {twoChars[0], twoChars[0] != '\0' ? twoChars[1] : '\0', '\0'};
    unsigned value = 0;
    if (std::sscanf(pair, "%x", &value) != 1) {
        return 0;
    }
    return static_cast<int>(value & 0xFFu);
}

std::optional<MeterStatus> ParseStatusReply(const char* reply, std::size_t length) {
    if (reply == nullptr || length != kStatusReplyLength) {
        return std::nullopt;
    }
    MeterStatus status;
    status.state = reply[kStatePosition];
    status.hardwareVersion = ParseHexPair(reply + kHardwareVersionPosition);
    switch (reply[kHardwareVersionPosition]) {
        case '0':
            status.generation = 1;
            break;
        case '1':
            status.generation = 2;
            break;
        default:
            status.generation = 0;
    }
    return status;
}

std::uint16_t ParseMainsPeriod(const char* reply, std::size_t length) {
    if (reply == nullptr || length != kPeriodReplyLength) {
        return 0;
    }
    // Exactly the 7 characters of the reply, whatever follows them in the buffer.
    char text[kPeriodReplyLength + 1] = {};
    std::copy_n(reply, kPeriodReplyLength, text);
    unsigned short period = 0;
    if (std::sscanf(text, "<F%4hX>", &period) != 1) {
        return 0;
    }
    return period;
}

std::optional<std::uint8_t> ParseEepromReply(const char* reply, std::size_t length) {
    if (reply == nullptr || length != kEepromReplyLength) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(ParseHexPair(reply + 1));
}

std::size_t UnpackSamples(std::span<const std::uint8_t> raw, std::span<std::int16_t> voltage,
                          std::span<std::int16_t> current) {
    const std::size_t pairs =
        std::min({raw.size() / kBytesPerSamplePair, voltage.size(), current.size()});
    for (std::size_t k = 0; k < pairs; ++k) {
        const std::uint8_t* p = raw.data() + k * kBytesPerSamplePair;
        voltage[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>((p[0] << 8) | p[1]));
        current[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>((p[2] << 8) | p[3]));
    }
    return pairs;
}

}  // namespace voltaris
