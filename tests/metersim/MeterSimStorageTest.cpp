// The simulated meter's EEPROM (V, W, M) and SD card file service (U, X, Y).
#include <gtest/gtest.h>

#include <cstdio>

#include "SimPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using test::SimPort;

std::string readEeprom(SimPort& port, int address) {
    char frame[8];
    std::snprintf(frame, sizeof frame, "<V%02X>", address);
    return port.command(frame);
}

TEST(MeterSimEeprom, DefaultImageHoldsAValidCalibration) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    // serial 1234, gains 0x3CB65025 / 0x38C7850A, dates 15032024 (0x00E55ED8), period 50.
    const char* expected[28] = {"D2", "04", "25", "50", "B6", "3C", "0A", "85", "C7", "38",
                                "D8", "5E", "E5", "00", "25", "50", "B6", "3C", "0A", "85",
                                "C7", "38", "D8", "5E", "E5", "00", "32", "00"};
    for (int address = 0; address < 28; ++address) {
        EXPECT_EQ(readEeprom(port, address), std::string("<") + expected[address] + ">")
            << "address " << address;
    }
    EXPECT_EQ(readEeprom(port, 28), "<FF>");
    EXPECT_EQ(readEeprom(port, 255), "<FF>");
}

TEST(MeterSimEeprom, WriteReadBackAndErase) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<W0E7F>"), "<K>");
    EXPECT_EQ(port.command("<WFF00>"), "<K>");
    EXPECT_EQ(readEeprom(port, 0x0E), "<7F>");
    EXPECT_EQ(readEeprom(port, 0xFF), "<00>");
    EXPECT_EQ(sim.eeprom()[0x0E], 0x7F);
    sim.setEepromByte(3, 0xAB);
    EXPECT_EQ(readEeprom(port, 3), "<AB>");
    EXPECT_EQ(port.command("<W0E>"), "<N>");
    EXPECT_EQ(port.command("<V1>"), "<N>");
    sim.eraseEeprom();
    for (int address : {0, 14, 27, 200}) {
        EXPECT_EQ(readEeprom(port, address), "<FF>");
    }
}

TEST(MeterSimEeprom, FailedAddressGetsNoReplyOthersDo) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    Faults faults;
    faults.failEepromReadAt = 15;
    sim.setFaults(faults);
    port.send("<V0F>");
    ASSERT_TRUE(sim.waitForFrames(1, 2s));
    // The next reply read is the one for address 16: address 15 sent nothing at all.
    EXPECT_EQ(readEeprom(port, 16), "<B6>");
    EXPECT_EQ(port.command("<W0F11>"), "<K>") << "writes still work";
    sim.setFaults({});
    EXPECT_EQ(readEeprom(port, 15), "<11>");
}

TEST(MeterSimFiles, ListsReadsAndDeletesFiles) {
    Config config;
    config.generation = 2;
    MeterSimulator sim(config);
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<U>"), "<LOG001 0000010E LOG002 00009E34 >");

    sim.clearLogFiles();
    EXPECT_EQ(port.command("<U>"), "<>");
    EXPECT_FALSE(sim.addLogFile("SHORT", {}));
    EXPECT_FALSE(sim.addLogFile("A>1234", {}));
    const auto exact = MeterSimulator::makeLogRecords(1000);  // 27000 bytes: one block
    const auto over = MeterSimulator::makeLogRecords(1001);   // 27027 bytes: two blocks
    ASSERT_TRUE(sim.addLogFile("A00001", exact));
    ASSERT_TRUE(sim.addLogFile("A00002", over));
    ASSERT_TRUE(sim.addLogFile("EMPTY0", {}));
    EXPECT_EQ(port.command("<U>"), "<A00001 00006978 A00002 00006993 EMPTY0 00000000 >");

    port.send("<XA00001 0000>");
    const std::string block0 = port.readBytes(27002);
    ASSERT_EQ(block0.size(), 27002u);
    EXPECT_EQ(block0.front(), '<');
    EXPECT_EQ(block0.back(), '>');
    EXPECT_EQ(block0.substr(1, 27000), std::string(exact.begin(), exact.end()));
    EXPECT_EQ(port.command("<XA00001 0001>"), "<N>") << "past the end";
    port.send("<XA00002 0001>");
    const std::string tail = port.readBytes(29);
    EXPECT_EQ(tail.substr(1, 27), std::string(over.end() - 27, over.end()));
    EXPECT_EQ(port.command("<XEMPTY0 0000>"), "<N>");
    EXPECT_EQ(port.command("<XNOSUCH 0000>"), "<N>");

    EXPECT_EQ(port.command("<YA00001>"), "<K>");
    EXPECT_EQ(port.command("<YA00001>"), "<N>");
    ASSERT_EQ(sim.logFiles().size(), 2u);
    EXPECT_EQ(sim.logFiles()[0].name, "A00002");
}

TEST(MeterSimFiles, RecordsDecodeToTheirFields) {
    const auto bytes = makeLogRecords(2, 23 * 3600 + 59 * 60 + 59);
    ASSERT_EQ(bytes.size(), 54u);
    const auto first = decodeLogRecord(bytes, 0);
    const auto second = decodeLogRecord(bytes, 27);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((std::array{first->hour, first->minute, first->second}),
              (std::array<std::int8_t, 3>{23, 59, 59}));
    EXPECT_EQ((std::array{second->hour, second->minute, second->second}),
              (std::array<std::int8_t, 3>{0, 0, 0}))
        << "the clock wraps at midnight";
    EXPECT_NEAR(first->uRms, 230.0f, 5.0f);
    EXPECT_NEAR(first->frequency, 50.0f, 0.1f);
    EXPECT_FALSE(decodeLogRecord(bytes, 28)) << "a partial record is not decoded";
}

TEST(MeterSimFiles, LogPeriodAndMissingCard) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_FALSE(sim.lastLogPeriod());
    EXPECT_EQ(port.command("<M0BB8>"), "<K>");
    EXPECT_EQ(sim.lastLogPeriod(), 3000);
    EXPECT_EQ(readEeprom(port, 26), "<B8>");
    EXPECT_EQ(readEeprom(port, 27), "<0B>");
    EXPECT_EQ(port.command("<M32>"), "<N>");

    Faults faults;
    faults.noSdCard = true;
    sim.setFaults(faults);
    EXPECT_EQ(port.command("<U>"), "<Z>");
    EXPECT_EQ(port.command("<XLOG001 0000>"), "<Z>");
    EXPECT_EQ(port.command("<YLOG001>"), "<Z>");
    EXPECT_EQ(sim.logFiles().size(), 2u) << "nothing was deleted";
}

}  // namespace
}  // namespace voltaris::sim
