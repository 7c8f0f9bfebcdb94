// Calibration load and stores against the simulated meter through the real serial backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "device/CalibrationStore.h"
#include "device/MeterProtocol.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris {
namespace {

CalibrationImage imageOf(const CalibrationParams& params) {
    CalibrationImage image{};
    EncodeCalibration(params, image);
    return image;
}

std::vector<std::string> readFrames(int first, int last) {
    std::vector<std::string> frames;
    for (int address = first; address <= last; ++address) {
        frames.push_back(BuildVCommand(address));
    }
    return frames;
}

std::vector<std::string> writeFrames(const CalibrationParams& params, int first, int last) {
    const CalibrationImage image = imageOf(params);
    std::vector<std::string> frames;
    for (int address = first; address <= last; ++address) {
        frames.push_back(BuildWCommand(address, image[static_cast<std::size_t>(address)]));
    }
    return frames;
}

// Differs from the simulator's image in every field.
const CalibrationParams kPrevious{0.5f, 0.25f, 0.75f, 0.125f, 7, 4321, 1012020, 2022021};

void expectDefaults(const CalibrationParams& params, std::uint16_t logPeriod) {
    CalibrationParams expected;
    expected.factoryCalibrationDate = 99999999;
    expected.logPeriod = logPeriod;
    EXPECT_EQ(params, expected);
}

class CalibrationStoreTest : public ::testing::Test {
protected:
    void SetUp() override { start(); }

    void start() {
        ASSERT_TRUE(m_meter->start());
        m_port = OpenPort(m_meter->portPath());
        ASSERT_NE(m_port, nullptr);
    }
    CalibrationImage meterImage() const {
        CalibrationImage image{};
        const sim::EepromImage eeprom = m_meter->eeprom();
        std::copy_n(eeprom.begin(), kCalibrationBytes, image.begin());
        return image;
    }
    void setMeterU32(int address, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            m_meter->setEepromByte(static_cast<std::uint8_t>(address + i),
                                   static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    // A fresh meter that answers W with garbage once the W of `address - 1` went through.
    void refuseWritesFrom(int address) {
        m_port.reset();
        m_meter = std::make_unique<sim::MeterSimulator>();
        const std::string trigger = BuildWCommand(address - 1, 0).substr(0, 4);
        ASSERT_TRUE(
            m_meter->setFrameObserver([meter = m_meter.get(), trigger](const std::string& frame) {
                if (frame.rfind(trigger, 0) == 0) {
                    meter->setFaults(sim::Faults{.garbage = true});
                }
            }));
        start();
    }

    std::unique_ptr<sim::MeterSimulator> m_meter = std::make_unique<sim::MeterSimulator>();
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(CalibrationStoreTest, LoadsTheFactoryImageReadingAddressesInOrder) {
    CalibrationParams params = kPrevious;
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);
    EXPECT_FALSE(result.readFailed);
    EXPECT_EQ(result.failedAddress, -1);
    EXPECT_FALSE(result.factoryCheckFailed);
    // Serial 1234, default gains, both dates 15 March 2024, logging period 50.
    EXPECT_EQ(params, (CalibrationParams{kDefaultGainV, kDefaultGainI, kDefaultGainV, kDefaultGainI,
                                         50, 1234, 15032024, 15032024}));
    EXPECT_EQ(m_meter->receivedFrames(), readFrames(0, 27));
}

TEST_F(CalibrationStoreTest, ErasedEepromGivesTheWarningAndTheDefaults) {
    m_meter->eraseEeprom();
    CalibrationParams params = kPrevious;
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);
    EXPECT_FALSE(result.readFailed);
    EXPECT_TRUE(result.factoryCheckFailed);
    expectDefaults(params, 0xFFFF);  // serial 9999, both dates 99999999, period as read
}

TEST_F(CalibrationStoreTest, FactoryDateOfLastDayOf2030IsTheLatestAccepted) {
    setMeterU32(kAddrFactoryCalibrationDate, 31122030);
    CalibrationParams params = kPrevious;
    EXPECT_FALSE(LoadCalibration(*m_port, params).factoryCheckFailed);
    EXPECT_EQ(params.factoryCalibrationDate, 31122030u);

    setMeterU32(kAddrFactoryCalibrationDate, 31122031);
    EXPECT_TRUE(LoadCalibration(*m_port, params).factoryCheckFailed);
    expectDefaults(params, 50);
}

TEST_F(CalibrationStoreTest, GainThatIsNotAFinitePositiveNumberInstallsTheDefaults) {
    const std::pair<int, float> cases[] = {
        {kAddrGainV, std::numeric_limits<float>::quiet_NaN()},
        {kAddrGainI, 0.0f},
        {kAddrFactoryGainV, -kDefaultGainV},
        {kAddrFactoryGainI, std::numeric_limits<float>::infinity()},
    };
    for (const auto& [address, gain] : cases) {
        SCOPED_TRACE("address " + std::to_string(address));
        m_meter->restoreDefaultEeprom();
        setMeterU32(address, std::bit_cast<std::uint32_t>(gain));
        CalibrationParams params = kPrevious;
        EXPECT_TRUE(LoadCalibration(*m_port, params).factoryCheckFailed);
        expectDefaults(params, 50);
    }
}

TEST_F(CalibrationStoreTest, ReadFailureKeepsEarlierBytesNewAndLaterOnesAsTheyWere) {
    m_meter->setFaults(sim::Faults{.failEepromReadAt = 15});
    CalibrationParams params = kPrevious;
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);
    EXPECT_TRUE(result.readFailed);
    EXPECT_EQ(result.failedAddress, 15);
    EXPECT_FALSE(result.factoryCheckFailed);  // the date at 10..13 was read and is valid

    CalibrationImage expected = imageOf(kPrevious);
    const CalibrationImage meter = meterImage();
    std::copy_n(meter.begin(), 15, expected.begin());
    EXPECT_EQ(imageOf(params), expected);
    // Only retries of the failed read follow it.
    std::vector<std::string> frames = m_meter->receivedFrames();
    ASSERT_GE(frames.size(), 16u);
    EXPECT_EQ(std::vector<std::string>(frames.begin(), frames.begin() + 16), readFrames(0, 15));
    EXPECT_EQ(std::count(frames.begin() + 16, frames.end(), BuildVCommand(15)),
              static_cast<long>(frames.size() - 16));
}

TEST_F(CalibrationStoreTest, ReadFailureFollowedByAFailedDateCheckReportsBoth) {
    setMeterU32(kAddrFactoryCalibrationDate, 31122031);
    m_meter->setFaults(sim::Faults{.failEepromReadAt = 15});
    CalibrationParams params = kPrevious;
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);
    EXPECT_TRUE(result.readFailed);
    EXPECT_TRUE(result.factoryCheckFailed);
    expectDefaults(params, kPrevious.logPeriod);  // never read: the previous period stays
}

TEST_F(CalibrationStoreTest, StoresWriteTheirAddressesInOrderAndLoadBack) {
    const CalibrationImage before = meterImage();
    ASSERT_TRUE(StoreCalibration(*m_port, kPrevious));
    EXPECT_EQ(m_meter->receivedFrames(), writeFrames(kPrevious, 14, 25));
    CalibrationImage expected = before;
    const CalibrationImage written = imageOf(kPrevious);
    std::copy(written.begin() + 14, written.begin() + 26, expected.begin() + 14);
    EXPECT_EQ(meterImage(), expected);

    m_meter->clearReceivedFrames();
    ASSERT_TRUE(StoreFactoryCalibration(*m_port, kPrevious));
    EXPECT_EQ(m_meter->receivedFrames(), writeFrames(kPrevious, 0, 25));
    CalibrationParams loaded;
    const CalibrationLoadResult result = LoadCalibration(*m_port, loaded);
    EXPECT_FALSE(result.readFailed || result.factoryCheckFailed);
    CalibrationParams stored = kPrevious;
    stored.logPeriod = 50;  // the meter keeps its own logging period
    EXPECT_EQ(loaded, stored);
}

TEST_F(CalibrationStoreTest, StoresStopAtTheFirstRefusedByte) {
    // A garbled answer is not an acknowledgement: the failing byte is tried three times, and
    // nothing after it is written.
    const auto expectedFrames = [](int first, int failing) {
        std::vector<std::string> frames = writeFrames(kPrevious, first, failing);
        frames.insert(frames.end(), 2, frames.back());
        return frames;
    };
    refuseWritesFrom(18);
    EXPECT_FALSE(StoreCalibration(*m_port, kPrevious));
    EXPECT_EQ(m_meter->receivedFrames(), expectedFrames(14, 18));

    refuseWritesFrom(1);
    EXPECT_FALSE(StoreFactoryCalibration(*m_port, kPrevious));
    EXPECT_EQ(m_meter->receivedFrames(), expectedFrames(0, 1));
}

}  // namespace
}  // namespace voltaris
