// Complex radix-2 FFT (decimation in time) and its helpers, used for the harmonic analysis of
// one mains period.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace voltaris {

// Messages for the two invalid-argument cases, for callers that report them (printf formats).
inline constexpr const char* kFftNotPowerOfTwoFormat =
    "Error in fft():  NumSamples=%u is not power of two\n";
inline constexpr const char* kBitsNeededTooSmallFormat =
    ">>> Error in fftmisc: argument %d to NumberOfBitsNeeded is too small.\n";

// True when n > 1 and n has a single bit set.
[[nodiscard]] bool isPowerOfTwo(std::uint32_t n);

// Position of the lowest set bit of n (log2 n for a power of two); empty when n < 2.
[[nodiscard]] std::optional<unsigned> numberOfBitsNeeded(std::uint32_t n);

// The low `bits` bits of index in reverse order.
[[nodiscard]] std::uint32_t reverseBits(std::uint32_t index, unsigned bits);

// Forward: X[k] = sum x[n] e^(-j2pi kn/N), unscaled. Inverse: conjugate kernel, divided by N.
// N is realIn.size(); imagIn is either empty (all zeros) or N long, and both outputs are N long.
// Returns false, writing nothing, when N is not a power of two >= 2 or a size does not match.
[[nodiscard]] bool fft(bool inverse, std::span<const double> realIn, std::span<const double> imagIn,
                       std::span<double> realOut, std::span<double> imagOut);

}  // namespace voltaris
