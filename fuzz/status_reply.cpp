// Status replies ("<?>") and acknowledgements as they come off the line: any bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "device/MeterProtocol.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* reply = reinterpret_cast<const char*>(data);
    const std::string_view text(reply, size);
    const auto status = ParseStatusReply(reply, size);
    if (status.has_value() != (size == kStatusReplyLength)) {
        std::abort();  // decoded exactly when the length is that of a status reply
    }
    if (status && (status->hardwareVersion < 0 || status->hardwareVersion > 255 ||
                   status->state != reply[kStatePosition])) {
        std::abort();
    }
    (void)IsStatusReply(text);
    (void)IsAcknowledge(reply, size);
    (void)IsAcknowledgeReply(text);
    return 0;
}
