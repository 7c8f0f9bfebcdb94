// Calibration load and stores against the simulated meter through the real serial backend.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "device/CalibrationStore.h"
#include "device/DeviceTestSupport.h"
#include "device/MeterProtocol.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

CalibrationImage simImage(const sim::MeterSimulator& meter) {
    const sim::EepromImage eeprom = meter.eeprom();
    CalibrationImage image{};
    std::copy_n(eeprom.begin(), kCalibrationBytes, image.begin());
    return image;
}

CalibrationImage imageOf(const CalibrationParams& params) {
    CalibrationImage image{};
    EncodeCalibration(params, image);
    return image;
}

void setSimU32(sim::MeterSimulator& meter, int address, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        meter.setEepromByte(static_cast<std::uint8_t>(address + i),
                            static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::vector<std::string> readFrames(int first, int last) {
    std::vector<std::string> frames;
    for (int address = first; address <= last; ++address) {
        frames.push_back(BuildVCommand(address));
    }
    return frames;
}

// Values that differ from the simulator's image in every byte that matters.
CalibrationParams previousParams() {
    CalibrationParams params;
    params.gainV = 0.5f;
    params.gainI = 0.25f;
    params.factoryGainV = 0.75f;
    params.factoryGainI = 0.125f;
    params.logPeriod = 7;
    params.serialNumber = 4321;
    params.lastCalibrationDate = 1012020;
    params.factoryCalibrationDate = 2022021;
    return params;
}

class CalibrationStoreTest : public ::testing::Test {
protected:
    void SetUp() override { startMeter(); }

    void startMeter() {
        ASSERT_TRUE(m_meter->start());
        m_port = OpenPort(m_meter->portPath());
        ASSERT_NE(m_port, nullptr);
    }

    // A meter that answers W commands with garbage once the W of `address - 1` went through,
    // so that the write of `address` is refused.
    void refuseWritesFrom(int address) {
        m_port.reset();
        m_meter->stop();
        m_meter = std::make_unique<sim::MeterSimulator>();
        sim::MeterSimulator* meter = m_meter.get();
        const std::string trigger = "<W" + hex2(address - 1);
        m_meter->setFrameObserver([meter, trigger](const std::string& frame) {
            if (frame.rfind(trigger, 0) == 0) {
                sim::Faults faults;
                faults.garbage = true;
                meter->setFaults(faults);
            }
        });
        startMeter();
    }

    static std::string hex2(int value) {
        char text[8];
        std::snprintf(text, sizeof text, "%02X", value);
        return text;
    }

    std::unique_ptr<sim::MeterSimulator> m_meter = std::make_unique<sim::MeterSimulator>();
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(CalibrationStoreTest, LoadsTheFactoryImageReadingAddressesInOrder) {
    CalibrationParams params = previousParams();
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);

    EXPECT_FALSE(result.readFailed);
    EXPECT_EQ(result.failedAddress, -1);
    EXPECT_FALSE(result.factoryCheckFailed);
    EXPECT_EQ(imageOf(params), simImage(*m_meter));
    // The simulator's factory image: serial 1234, default gains, both dates 15 March 2024.
    EXPECT_EQ(params.serialNumber, 1234);
    EXPECT_EQ(params.gainV, kDefaultGainV);
    EXPECT_EQ(params.gainI, kDefaultGainI);
    EXPECT_EQ(params.factoryGainV, kDefaultGainV);
    EXPECT_EQ(params.factoryGainI, kDefaultGainI);
    EXPECT_EQ(params.factoryCalibrationDate, 15032024u);
    EXPECT_EQ(params.lastCalibrationDate, 15032024u);
    EXPECT_EQ(params.logPeriod, 50);
    EXPECT_EQ(m_meter->receivedFrames(), readFrames(0, 27));
}

TEST_F(CalibrationStoreTest, ErasedEepromGivesTheWarningAndTheDefaults) {
    m_meter->eraseEeprom();
    CalibrationParams params = previousParams();
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);

    EXPECT_FALSE(result.readFailed);
    EXPECT_TRUE(result.factoryCheckFailed);
    EXPECT_EQ(params.gainV, kDefaultGainV);
    EXPECT_EQ(params.gainI, kDefaultGainI);
    EXPECT_EQ(params.factoryGainV, kDefaultGainV);
    EXPECT_EQ(params.factoryGainI, kDefaultGainI);
    EXPECT_EQ(params.serialNumber, 9999);
    EXPECT_EQ(params.lastCalibrationDate, 99999999u);
    EXPECT_EQ(params.factoryCalibrationDate, 99999999u);
    EXPECT_EQ(params.logPeriod, 0xFFFF);  // kept as read
}

TEST_F(CalibrationStoreTest, FactoryDateOfLastDayOf2030IsTheLatestAccepted) {
    setSimU32(*m_meter, kAddrFactoryCalibrationDate, 31122030);
    CalibrationParams params = previousParams();
    CalibrationLoadResult result = LoadCalibration(*m_port, params);
    EXPECT_FALSE(result.factoryCheckFailed);
    EXPECT_EQ(params.factoryCalibrationDate, 31122030u);
    EXPECT_EQ(params.serialNumber, 1234);

    setSimU32(*m_meter, kAddrFactoryCalibrationDate, 31122031);
    result = LoadCalibration(*m_port, params);
    EXPECT_FALSE(result.readFailed);
    EXPECT_TRUE(result.factoryCheckFailed);
    EXPECT_EQ(params.factoryCalibrationDate, 99999999u);
    EXPECT_EQ(params.serialNumber, 9999);
    EXPECT_EQ(params.logPeriod, 50);
}

TEST_F(CalibrationStoreTest, GainThatIsNotAFinitePositiveNumberInstallsTheDefaults) {
    struct Case {
        int address;
        float value;
    };
    const Case cases[] = {
        {kAddrGainV, std::numeric_limits<float>::quiet_NaN()},
        {kAddrGainI, 0.0f},
        {kAddrFactoryGainV, -0.0222550128f},
        {kAddrFactoryGainI, std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("address " + std::to_string(c.address) + ", gain " + std::to_string(c.value));
        m_meter->restoreDefaultEeprom();
        m_meter->setEepromByte(kAddrSerialNumber, 0x07);  // serial 1031: must not survive
        setSimU32(*m_meter, c.address, std::bit_cast<std::uint32_t>(c.value));
        CalibrationParams params = previousParams();
        const CalibrationLoadResult result = LoadCalibration(*m_port, params);
        EXPECT_FALSE(result.readFailed);
        EXPECT_TRUE(result.factoryCheckFailed);
        EXPECT_EQ(params.gainV, kDefaultGainV);
        EXPECT_EQ(params.gainI, kDefaultGainI);
        EXPECT_EQ(params.factoryGainV, kDefaultGainV);
        EXPECT_EQ(params.factoryGainI, kDefaultGainI);
        EXPECT_EQ(params.serialNumber, 9999);
        EXPECT_EQ(params.factoryCalibrationDate, 99999999u);
        EXPECT_EQ(params.logPeriod, 50);
    }
}

TEST_F(CalibrationStoreTest, ReadFailureKeepsEarlierBytesNewAndLaterOnesAsTheyWere) {
    sim::Faults faults;
    faults.failEepromReadAt = 15;
    m_meter->setFaults(faults);
    const CalibrationParams before = previousParams();
    CalibrationParams params = before;
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);

    EXPECT_TRUE(result.readFailed);
    EXPECT_EQ(result.failedAddress, 15);
    EXPECT_FALSE(result.factoryCheckFailed);  // the date read at 10..13 is valid
    const CalibrationImage loaded = imageOf(params);
    const CalibrationImage meter = simImage(*m_meter);
    const CalibrationImage previous = imageOf(before);
    for (std::size_t address = 0; address < kCalibrationBytes; ++address) {
        SCOPED_TRACE("address " + std::to_string(address));
        EXPECT_EQ(loaded[address], address < 15 ? meter[address] : previous[address]);
    }
    // Nothing is asked after the failed address.
    const std::vector<std::string> frames = m_meter->receivedFrames();
    ASSERT_GE(frames.size(), 16u);
    EXPECT_EQ(std::vector<std::string>(frames.begin(), frames.begin() + 16), readFrames(0, 15));
    for (std::size_t i = 16; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i], BuildVCommand(15)) << "only retries of the failed read may follow";
    }
}

TEST_F(CalibrationStoreTest, ReadFailureFollowedByAFailedDateCheckReportsBoth) {
    setSimU32(*m_meter, kAddrFactoryCalibrationDate, 31122031);
    sim::Faults faults;
    faults.failEepromReadAt = 15;
    m_meter->setFaults(faults);
    CalibrationParams params = previousParams();
    const CalibrationLoadResult result = LoadCalibration(*m_port, params);

    EXPECT_TRUE(result.readFailed);
    EXPECT_EQ(result.failedAddress, 15);
    EXPECT_TRUE(result.factoryCheckFailed);
    EXPECT_EQ(params.gainV, kDefaultGainV);
    EXPECT_EQ(params.serialNumber, 9999);
    EXPECT_EQ(params.logPeriod, 7);  // never read: the previous value stays
}

TEST_F(CalibrationStoreTest, UserStoreWritesAddresses14To25InOrder) {
    CalibrationParams params = previousParams();
    const CalibrationImage before = simImage(*m_meter);
    ASSERT_TRUE(StoreCalibration(*m_port, params));

    const CalibrationImage image = imageOf(params);
    std::vector<std::string> expected;
    for (int address = 14; address <= 25; ++address) {
        expected.push_back(BuildWCommand(address, image[static_cast<std::size_t>(address)]));
    }
    EXPECT_EQ(m_meter->receivedFrames(), expected);
    const CalibrationImage after = simImage(*m_meter);
    for (std::size_t address = 0; address < kCalibrationBytes; ++address) {
        SCOPED_TRACE("address " + std::to_string(address));
        const bool written = address >= 14 && address <= 25;
        EXPECT_EQ(after[address], written ? image[address] : before[address]);
    }
}

TEST_F(CalibrationStoreTest, FactoryStoreWritesAddresses0To25InOrderAndLoadsBack) {
    CalibrationParams params = previousParams();
    ASSERT_TRUE(StoreFactoryCalibration(*m_port, params));

    const CalibrationImage image = imageOf(params);
    std::vector<std::string> expected;
    for (int address = 0; address <= 25; ++address) {
        expected.push_back(BuildWCommand(address, image[static_cast<std::size_t>(address)]));
    }
    EXPECT_EQ(m_meter->receivedFrames(), expected);

    // The logging period is not stored: the meter keeps its own (50).
    CalibrationParams loaded;
    const CalibrationLoadResult result = LoadCalibration(*m_port, loaded);
    EXPECT_FALSE(result.readFailed);
    EXPECT_FALSE(result.factoryCheckFailed);
    CalibrationParams expectedParams = params;
    expectedParams.logPeriod = 50;
    EXPECT_EQ(loaded, expectedParams);
}

TEST_F(CalibrationStoreTest, UserStoreStopsAtTheFirstRefusedByte) {
    refuseWritesFrom(18);
    const CalibrationParams params = previousParams();
    EXPECT_FALSE(StoreCalibration(*m_port, params));

    const CalibrationImage image = imageOf(params);
    std::vector<std::string> expected;
    for (int address = 14; address <= 18; ++address) {
        expected.push_back(BuildWCommand(address, image[static_cast<std::size_t>(address)]));
    }
    EXPECT_EQ(m_meter->receivedFrames(), expected);
}

TEST_F(CalibrationStoreTest, FactoryStoreStopsAtTheFirstRefusedByte) {
    refuseWritesFrom(1);
    const CalibrationParams params = previousParams();
    EXPECT_FALSE(StoreFactoryCalibration(*m_port, params));

    const CalibrationImage image = imageOf(params);
    const std::vector<std::string> expected = {BuildWCommand(0, image[0]),
                                               BuildWCommand(1, image[1])};
    EXPECT_EQ(m_meter->receivedFrames(), expected);
}

}  // namespace
}  // namespace voltaris
