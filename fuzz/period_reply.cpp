// Replies to F, the mains period: any bytes, read and turned into a frequency for both meter
// generations as the analysis does.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analysis/Measurements.h"
#include "device/MeterProtocol.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* reply = reinterpret_cast<const char*>(data);
    const std::uint16_t ticks = ParseMainsPeriod(reply, size);
    if (size != kPeriodReplyLength && ticks != 0) {
        std::abort();
    }
    (void)IsMainsPeriodReply(std::string_view(reply, size));
    for (const std::uint8_t generation : {1, 2}) {
        const double f = mainsFrequency(ticks, generation);
        if (!std::isfinite(f) || f < 0) {
            std::abort();
        }
    }
    return 0;
}
