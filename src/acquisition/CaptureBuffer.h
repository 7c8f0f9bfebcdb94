// The shared capture: raw voltage and current samples of the last capture read from the capture
// source (meter, demonstration generator or file), with the mains period and hardware version
// that came with it and its sequence number. Guarded as a whole by the capture mutex of
// AcquisitionShared.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace voltaris {

inline constexpr std::size_t kCaptureSampleCapacity = 25600;

struct CaptureBuffer {
    std::int32_t blockCount = 0;  // 256-sample blocks held, one per mains period
    std::array<std::int16_t, kCaptureSampleCapacity> voltage{};  // raw voltage samples
    std::array<std::int16_t, kCaptureSampleCapacity> current{};  // raw current, same instants
    std::uint16_t mainsPeriodTicks = 0;  // meter timer ticks per mains period; 0: none given
    std::uint16_t hardwareVersion = 0;   // byte at status positions 16-17
    // 1 for the first capture read completely, then one more for each; 0 before any. Lets a
    // reader tell a new capture from one it has already taken.
    std::uint64_t sequence = 0;
};

}  // namespace voltaris
