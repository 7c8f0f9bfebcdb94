// Replies to the EEPROM read V: any bytes, and the two-character hexadecimal reader under it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/MeterProtocol.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* reply = reinterpret_cast<const char*>(data);
    const auto byte = ParseEepromReply(reply, size);
    if (byte.has_value() != (size == kEepromReplyLength)) {
        std::abort();
    }
    (void)IsEepromReply(std::string_view(reply, size));
    if (size >= 2) {
        const int pair = ParseHexPair(reply);
        if (pair < 0 || pair > 255) {
            std::abort();
        }
    }
    return 0;
}
