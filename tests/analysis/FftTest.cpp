#include "analysis/Fft.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace voltaris {
namespace {

TEST(FftHelpers, PowerOfTwoBitsNeededAndBitReversal) {
    for (std::uint32_t n : {0u, 1u, 3u, 255u, 0xffffffffu}) {
        EXPECT_FALSE(isPowerOfTwo(n)) << n;
    }
    EXPECT_TRUE(isPowerOfTwo(2));
    EXPECT_FALSE(numberOfBitsNeeded(1).has_value());
    EXPECT_EQ(numberOfBitsNeeded(256), 8u);
    EXPECT_EQ(numberOfBitsNeeded(12), 2u);  // position of the lowest set bit
    EXPECT_EQ(reverseBits(0b1011, 4), 0b1101u);
    EXPECT_EQ(reverseBits(0x1ff, 8), 0xffu);  // bits above the width are dropped
}

TEST(Fft, MatchesDirectDftBothWaysOnRandomInput) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> dist(-1000.0, 1000.0);
    for (std::size_t n = 2; n <= 512; n *= 2) {
        std::vector<double> re(n), im(n), fRe(n), fIm(n), bRe(n), bIm(n);
        for (std::size_t i = 0; i < n; ++i) {
            re[i] = dist(rng);
            im[i] = n == 256 ? 0.0 : dist(rng);
        }
        ASSERT_TRUE(fft(false, re, n == 256 ? std::span<const double>{} : im, fRe, fIm));
        ASSERT_TRUE(fft(true, fRe, fIm, bRe, bIm));
        for (std::size_t k = 0; k < n; ++k) {
            std::complex<double> expected = 0;  // X[k] = sum x[t] e^(-j 2 pi k t / N)
            for (std::size_t t = 0; t < n; ++t) {
                const double angle = -2 * std::numbers::pi * static_cast<double>(k * t % n) / n;
                expected += std::complex<double>(re[t], im[t]) * std::polar(1.0, angle);
            }
            ASSERT_NEAR(fRe[k], expected.real(), 1e-6 * n) << "N=" << n << " k=" << k;
            ASSERT_NEAR(fIm[k], expected.imag(), 1e-6 * n) << "N=" << n << " k=" << k;
            ASSERT_NEAR(bRe[k], re[k], 1e-9) << "inverse, N=" << n;
            ASSERT_NEAR(bIm[k], im[k], 1e-9) << "inverse, N=" << n;
        }
    }
}

TEST(Fft, RefusesBadSizesWithoutWriting) {
    for (std::size_t n : {0u, 1u, 3u, 255u}) {
        std::vector<double> in(n, 1.0), re(n, 42.0), im(n, 42.0);
        EXPECT_FALSE(fft(false, in, {}, re, im)) << n;
        EXPECT_EQ(re, std::vector<double>(n, 42.0));
    }
    std::vector<double> in(8, 1.0), four(4), re(8, 42.0);
    EXPECT_FALSE(fft(false, in, four, re, re));
    EXPECT_FALSE(fft(false, in, {}, four, re));
    EXPECT_EQ(re, std::vector<double>(8, 42.0));
}

}  // namespace
}  // namespace voltaris
