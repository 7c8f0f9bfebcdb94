// Radix-2 decimation-in-time FFT with twiddle factors from a three-term recurrence.
#include "analysis/Fft.h"

#include <cmath>
#include <numbers>

namespace voltaris {

bool isPowerOfTwo(std::uint32_t n) {
    return n > 1 && (n & (n - 1)) == 0;
}

std::optional<unsigned> numberOfBitsNeeded(std::uint32_t n) {
    if (n < 2) {
        return std::nullopt;
    }
    unsigned bits = 0;
    while ((n & (1u << bits)) == 0) {
        ++bits;
    }
    return bits;
}

std::uint32_t reverseBits(std::uint32_t index, unsigned bits) {
    std::uint32_t reversed = 0;
    for (unsigned i = 0; i < bits; ++i) {
        reversed = (reversed << 1) | (index & 1u);
        index >>= 1;
    }
    return reversed;
}

bool fft(bool inverse, std::span<const double> realIn, std::span<const double> imagIn,
         std::span<double> realOut, std::span<double> imagOut) {
    const std::size_t count = realIn.size();
    if (count > UINT32_MAX || !isPowerOfTwo(static_cast<std::uint32_t>(count)) ||
        (!imagIn.empty() && imagIn.size() != count) || realOut.size() != count ||
        imagOut.size() != count) {
        return false;
    }
    const auto n = static_cast<std::uint32_t>(count);
    const unsigned bits = *numberOfBitsNeeded(n);

    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t r = reverseBits(i, bits);
        realOut[r] = realIn[i];
        imagOut[r] = imagIn.empty() ? 0.0 : imagIn[i];
    }

    // The n-th butterfly of a block uses the angle -n*delta (+n*delta for the inverse). The
    // recurrence a0 = 2cos(delta)a1 - a2 steps the angle by -delta, so it is seeded with the two
    // angles before 0: +2delta and +delta.
    const double angleNumerator = inverse ? -2.0 * std::numbers::pi : 2.0 * std::numbers::pi;
    std::uint32_t blockEnd = 1;
    for (std::uint32_t blockSize = 2; blockSize <= n; blockSize <<= 1) {
        const double delta = angleNumerator / blockSize;
        const double sm2 = std::sin(2.0 * delta);
        const double sm1 = std::sin(delta);
        const double cm2 = std::cos(2.0 * delta);
        const double cm1 = std::cos(delta);
        const double w = 2.0 * cm1;

        for (std::uint32_t i = 0; i < n; i += blockSize) {
            double ar2 = cm2, ar1 = cm1, ai2 = sm2, ai1 = sm1;
            for (std::uint32_t j = i, m = 0; m < blockEnd; ++j, ++m) {
                const double ar0 = w * ar1 - ar2;
                ar2 = ar1;
                ar1 = ar0;
                const double ai0 = w * ai1 - ai2;
                ai2 = ai1;
                ai1 = ai0;

                const std::uint32_t k = j + blockEnd;
                const double tr = ar0 * realOut[k] - ai0 * imagOut[k];
                const double ti = ar0 * imagOut[k] + ai0 * realOut[k];
                realOut[k] = realOut[j] - tr;
                imagOut[k] = imagOut[j] - ti;
                realOut[j] += tr;
                imagOut[j] += ti;
            }
        }
        blockEnd = blockSize;
    }

    if (inverse) {
        const double scale = n;
        for (std::uint32_t i = 0; i < n; ++i) {
            realOut[i] /= scale;
            imagOut[i] /= scale;
        }
    }
    return true;
}

}  // namespace voltaris
