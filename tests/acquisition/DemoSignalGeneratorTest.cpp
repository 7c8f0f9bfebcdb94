// The demonstration generator: the C library's random sequence, the order of draws, the block
// counts and the ranges of the synthetic samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "acquisition/CaptureBuffer.h"
#include "acquisition/DemoSignalGenerator.h"

namespace voltaris {
namespace {

struct Channels {
    std::vector<std::int16_t> voltage = std::vector<std::int16_t>(kCaptureSampleCapacity, 0);
    std::vector<std::int16_t> current = std::vector<std::int16_t>(kCaptureSampleCapacity, 0);
};

TEST(CRandom, FollowsTheUnseededCLibrarySequence) {
    // The first values of rand() in a program that never calls srand().
    CRandom random;
    const std::vector<int> expected{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962};
    std::vector<int> drawn;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        drawn.push_back(random.next());
    }
    EXPECT_EQ(drawn, expected);
}

TEST(DemoSignalGenerator, FirstSamplesFollowTheDrawOrder) {
    // Draws 41 (amplitude), 18467 (voltage noise), 6334 (current noise), 26500, 19169, ...
    // sample 0: A = 41 x 1000/32768 + 15000 = 15001.2512;
    //   voltage = trunc((18467 x 500/32768 + A) x sin 0.4) = trunc(5951.6) = 5951
    //   current = trunc((6334 x 4000/32768 + A) x sin 1.8) = trunc(15361.4) = 15361
    DemoSignalGenerator generator;
    Channels c;
    ASSERT_EQ(generator.generate(10, c.voltage, c.current), 12);
    EXPECT_EQ(c.voltage[0], 5951);
    EXPECT_EQ(c.current[0], 15361);
    EXPECT_EQ(c.voltage[1], 6345);
    EXPECT_EQ(c.current[1], 16785);
    EXPECT_EQ(c.voltage[2], 6616);
    EXPECT_EQ(c.current[2], 15771);
    // A new amplitude is drawn at each block start, before that sample's noise.
    EXPECT_EQ(c.voltage[256], 6198);
    EXPECT_EQ(c.current[256], 17638);
    EXPECT_EQ(c.voltage[3071], 5702);
    EXPECT_EQ(c.current[3071], 18258);
}

TEST(DemoSignalGenerator, SequenceCarriesOnIntoTheNextCapture) {
    DemoSignalGenerator generator;
    Channels first;
    Channels second;
    ASSERT_EQ(generator.generate(10, first.voltage, first.current), 12);
    ASSERT_EQ(generator.generate(1, second.voltage, second.current), 3);
    EXPECT_EQ(second.voltage[0], 6254);
    EXPECT_EQ(second.current[0], 16347);
    EXPECT_EQ(second.voltage[1], 6495);
    EXPECT_EQ(second.current[1], 15881);
}

TEST(DemoSignalGenerator, WritesPeriodsPlusTwoBlocksAndLeavesTheRest) {
    DemoSignalGenerator generator;
    Channels c;
    std::fill(c.voltage.begin(), c.voltage.end(), std::int16_t{-7});
    std::fill(c.current.begin(), c.current.end(), std::int16_t{-7});
    EXPECT_EQ(generator.generate(1, c.voltage, c.current), 3);
    EXPECT_NE(c.voltage[767], -7);
    EXPECT_NE(c.current[767], -7);
    EXPECT_EQ(c.voltage[768], -7);  // beyond the capture: earlier contents stay
    EXPECT_EQ(c.current[768], -7);
}

TEST(DemoSignalGenerator, NeverWritesPastTheBuffers) {
    DemoSignalGenerator generator;
    std::vector<std::int16_t> voltage(600, 0);
    std::vector<std::int16_t> current(1000, 0);
    EXPECT_EQ(generator.generate(85, voltage, current), 2);  // whole blocks that fit both
}

TEST(DemoSignalGenerator, SamplesStayWithinTheirRanges) {
    // Amplitude up to 16000, plus up to 500 of voltage noise and 4000 of current noise.
    DemoSignalGenerator generator;
    Channels c;
    int vMax = 0;
    int iMax = 0;
    for (int capture = 0; capture < 30; ++capture) {
        const int blocks = generator.generate(85, c.voltage, c.current);
        ASSERT_EQ(blocks, 87);
        for (std::size_t i = 0; i < static_cast<std::size_t>(blocks) * 256; ++i) {
            vMax = std::max(vMax, std::abs(int{c.voltage[i]}));
            iMax = std::max(iMax, std::abs(int{c.current[i]}));
        }
    }
    EXPECT_LE(vMax, 16500);
    EXPECT_GT(vMax, 15000);
    EXPECT_LE(iMax, 20000);
    EXPECT_GT(iMax, 19000);
}

TEST(DemoSignalGenerator, TwoGeneratorsGiveIdenticalCaptures) {
    DemoSignalGenerator a;
    DemoSignalGenerator b;
    Channels ca;
    Channels cb;
    for (int periods : {10, 1, 85}) {
        a.generate(periods, ca.voltage, ca.current);
        b.generate(periods, cb.voltage, cb.current);
        EXPECT_EQ(ca.voltage, cb.voltage);
        EXPECT_EQ(ca.current, cb.current);
    }
}

}  // namespace
}  // namespace voltaris
