// The capture hand-over (each capture once, in order, the oldest dropped when the consumer falls
// behind) and the raw capture files it is replayed from.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureHandOver.h"
#include "acquisition/RawCaptureFile.h"

namespace voltaris {
namespace {

// Puts capture `sequence` into the shared buffer: `blocks` periods whose samples tell the
// sequence apart, read with a voltage gain that does too.
void putCapture(AcquisitionShared& shared, std::uint64_t sequence, int blocks = 3) {
    CalibrationParams calibration;
    calibration.gainV = static_cast<float>(sequence);
    shared.setCalibration(calibration);
    shared.withCapture([&](CaptureBuffer& b) {
        b.blockCount = blocks;
        b.sequence = sequence;
        b.mainsPeriodTicks = 20000;
        for (int k = 0; k < blocks * 256; ++k) {
            b.voltage[k] = static_cast<std::int16_t>(sequence * 100 + k % 256);
            b.current[k] = static_cast<std::int16_t>(-k);
        }
    });
}

TEST(CaptureHandOver, HandsEachCaptureOnceInOrderAndDropsTheOldestWhenFull) {
    AcquisitionShared shared;
    CaptureHandOver handOver(3);
    for (std::uint64_t s = 1; s <= 5; ++s) {
        putCapture(shared, s);
        EXPECT_EQ(handOver.take(shared), s <= 3) << s;
    }
    EXPECT_EQ(handOver.pending(), 3u);
    EXPECT_EQ(handOver.dropped(), 2u);
    // What the worker writes after the report does not reach captures already handed over.
    putCapture(shared, 99);
    for (std::uint64_t s = 3; s <= 5; ++s) {
        auto capture = handOver.next();
        ASSERT_NE(capture, nullptr);
        EXPECT_EQ(capture->buffer.sequence, s);
        EXPECT_EQ(capture->buffer.voltage[7], static_cast<std::int16_t>(s * 100 + 7));
        const RawCapture raw = capture->raw(kGenerationV1);
        EXPECT_EQ(raw.gainV, static_cast<float>(s));
        EXPECT_EQ(raw.blockCount, 3u);
        handOver.recycle(std::move(capture));
    }
    EXPECT_EQ(handOver.next(), nullptr);
    // Recycled storage carries nothing of the capture it held.
    ASSERT_TRUE(handOver.take(shared));
    EXPECT_EQ(handOver.next()->buffer.sequence, 99u);
}

class RawCaptureFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("raw-capture-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    void writeBytes(const char* name, std::size_t size) const {
        std::ofstream(path(name), std::ios::binary) << std::string(size, '\x7f');
    }

    std::filesystem::path m_dir;
};

TEST_F(RawCaptureFileTest, WrittenCaptureReadsBackSampleForSample) {
    AcquisitionShared shared;
    putCapture(shared, 4, 7);
    CaptureBuffer buffer;
    shared.copyCapture(buffer);
    std::string error;
    ASSERT_TRUE(WriteRawCaptureFile(path("c.raw"), buffer, error)) << error;
    EXPECT_EQ(CheckRawCaptureFile(path("c.raw"), error), 7u);
    const auto file = ReadRawCaptureFile(path("c.raw"), error);
    ASSERT_TRUE(file.has_value()) << error;
    ASSERT_EQ(file->blockCount, 7u);
    for (std::size_t k = 0; k < 7 * 256; ++k) {
        ASSERT_EQ(file->voltage[k], buffer.voltage[k]) << k;
        ASSERT_EQ(file->current[k], buffer.current[k]) << k;
    }
}

TEST_F(RawCaptureFileTest, WhatIsNotACaptureIsRefusedWithAReason) {
    writeBytes("empty.raw", 0);
    writeBytes("two-blocks.raw", 2 * 1024);
    writeBytes("ninety-three.raw", 93 * 1024);
    writeBytes("partial.raw", 5 * 1024 + 1);
    std::filesystem::create_directories(path("folder.raw"));
    for (const char* name :
         {"missing.raw", "empty.raw", "two-blocks.raw", "ninety-three.raw", "partial.raw",
          "folder.raw"}) {
        std::string error;
        EXPECT_FALSE(CheckRawCaptureFile(path(name), error).has_value()) << name;
        EXPECT_FALSE(error.empty()) << name;
        error.clear();
        EXPECT_FALSE(ReadRawCaptureFile(path(name), error).has_value()) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    writeBytes("ninety-two.raw", 92 * 1024);
    std::string error;
    EXPECT_EQ(CheckRawCaptureFile(path("ninety-two.raw"), error), 92u) << error;
}

}  // namespace
}  // namespace voltaris
