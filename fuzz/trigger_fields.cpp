// The eight trigger boxes of the control panel: any text typed into each, read, held to its
// range, written back, and sent to the meter as the T command with any gains.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "acquisition/TriggerConditions.h"
#include "device/MeterProtocol.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const float gainV = in.ConsumeFloatingPoint<float>();
    const float gainI = in.ConsumeFloatingPoint<float>();
    const int preTrigger = in.ConsumeIntegralInRange<int>(0, kMaxPeriods - 1);
    TriggerValues values{};
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        const std::string text = in.ConsumeRandomLengthString(64);
        const auto f = static_cast<TriggerField>(field);
        values[field] = ParseTriggerValue(text, f);
        if (!(values[field] >= 0 && values[field] <= TriggerCap(f))) {
            std::abort();
        }
        // What is written back (six decimals) reads as the same value.
        const float back = ParseTriggerValue(FormatTriggerValue(values[field]), f);
        if (std::fabs(back - values[field]) > 1e-5f) {
            std::abort();
        }
    }
    const TriggerThresholds t = ToThresholds(values);
    const TriggerSetup setup{preTrigger, t.urmsLow,  t.irmsLow,  t.prmsLow, t.urmsHigh,
                             t.irmsHigh, t.prmsHigh, t.upeakMax, t.ipeakMax};
    const std::string command = BuildTCommand(setup, gainV, gainI);
    if (command.size() < 2 || command.front() != '<' || command.back() != '>') {
        std::abort();
    }
    return 0;
}
