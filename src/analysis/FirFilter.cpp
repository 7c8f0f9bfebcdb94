// FIR filtering with long double accumulators. Four outputs are computed side by side so the
// additions of different outputs overlap; each output still sums its taps in order from 0.
#include "analysis/FirFilter.h"

#include <algorithm>

namespace voltaris {

namespace {

constexpr FirCoefficients symmetric(const std::array<double, kFirTaps / 2>& half) {
    FirCoefficients h{};
    for (std::size_t j = 0; j < half.size(); ++j) {
        h[j] = half[j];
        h[kFirTaps - 1 - j] = half[j];
    }
    return h;
}

constexpr FirCoefficients kLowPass1k = symmetric({
    -0.005669, -0.001356, 0.002329, 0.007549, 0.011266, 0.009826, 0.001068, -0.01362,  //
    -0.028485, -0.034669, -0.023472, 0.009558, 0.061578, 0.12205, 0.175541, 0.206946,  //
});

constexpr FirCoefficients kLowPass2k = symmetric({
    0.00078, -0.002525, -0.001567, 0.00354, 0.006727, -0.000682, -0.013493, -0.01173,  //
    0.012708, 0.032865, 0.010068, -0.048156, -0.06859, 0.022043, 0.203724, 0.354115,   //
});

}  // namespace

const FirCoefficients& lowPass1kCoefficients() {
    return kLowPass1k;
}
const FirCoefficients& lowPass2kCoefficients() {
    return kLowPass2k;
}

void applyFir(const FirCoefficients& h, std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    if (n <= kFirTaps) {
        std::fill(out.begin(), out.begin() + n, 0.0);
        return;
    }
    const std::size_t outputs = n - kFirTaps;  // k = 0 .. n - 33
    const double* x = in.data();
    std::size_t k = 0;
    // Coefficients stay double in memory (an 80-bit load costs more than a 64-bit one) and are
    // widened in the registers; products and sums are long double.
    for (; k + 4 <= outputs; k += 4) {
        long double s0 = 0.0L, s1 = 0.0L, s2 = 0.0L, s3 = 0.0L;
        const double* p = x + k;
        for (std::size_t j = 0; j < kFirTaps; ++j, ++p) {
            const long double t = h[j];
            s0 += t * p[0];
            s1 += t * p[1];
            s2 += t * p[2];
            s3 += t * p[3];
        }
        out[k] = static_cast<double>(s0);
        out[k + 1] = static_cast<double>(s1);
        out[k + 2] = static_cast<double>(s2);
        out[k + 3] = static_cast<double>(s3);
    }
    for (; k < outputs; ++k) {
        long double s = 0.0L;
        for (std::size_t j = 0; j < kFirTaps; ++j) {
            s += static_cast<long double>(h[j]) * x[k + j];
        }
        out[k] = static_cast<double>(s);
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(outputs), out.begin() + n, 0.0);
}

}  // namespace voltaris
