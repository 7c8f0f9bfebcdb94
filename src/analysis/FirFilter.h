// The two 32-tap low-pass FIR filters applied to the scaled samples before analysis.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace voltaris {

inline constexpr std::size_t kFirTaps = 32;
using FirCoefficients = std::array<double, kFirTaps>;

// Coefficients of "Low pass 1KHz" and "Low pass 2KHz" (symmetric, h[31 - j] = h[j]).
[[nodiscard]] const FirCoefficients& lowPass1kCoefficients();
[[nodiscard]] const FirCoefficients& lowPass2kCoefficients();

// out[k] = sum over j of in[k + j] x h[j], accumulated in extended precision, for
// k = 0 .. n - 33; the last 32 outputs are 0. Output k uses inputs k to k + 31 (not re-centred).
// in and out have the same size and must not overlap; fewer than 33 samples give all zeros.
void applyFir(const FirCoefficients& h, std::span<const double> in, std::span<double> out);

}  // namespace voltaris
