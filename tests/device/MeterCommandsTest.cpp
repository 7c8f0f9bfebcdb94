// Meter commands as the simulated meter receives and answers them.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "device/MeterCommands.h"
#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using test::SimulatedMeter;
using Strings = std::vector<std::string>;

constexpr float kDefaultGainV = 0.0222550128f;
constexpr float kDefaultGainI = 9.5138399e-05f;

TEST(MeterCommands, StatusOfFirstAndSecondGenerationMeters) {
    for (const int generation : {1, 2}) {
        sim::Config config;
        config.generation = generation;
        SimulatedMeter link(config);
        ASSERT_TRUE(link.ready());
        const StatusQuery q = QueryStatus(link.link());
        ASSERT_TRUE(q.answered);
        ASSERT_TRUE(q.status.has_value()) << q.reply;
        EXPECT_EQ(q.status->generation, generation);
        EXPECT_EQ(q.status->hardwareVersion, generation == 1 ? 0x02 : 0x12);
    }
}

TEST(MeterCommands, ArmedCaptureReportsItsStateUntilComplete) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    link.sim.setTriggerHolds(false);
    EXPECT_EQ(SendAcknowledged(link.link(), kStartCommand), CommandOutcome::Accepted);
    const StatusQuery armed = QueryStatus(link.link());
    ASSERT_TRUE(armed.status.has_value());
    EXPECT_EQ(armed.status->state, kStateArmed);

    link.sim.setTriggerHolds(true);
    ASSERT_TRUE(link.sim.waitForCaptureState(sim::CaptureState::Complete, 5s));
    const StatusQuery done = QueryStatus(link.link());
    ASSERT_TRUE(done.status.has_value());
    EXPECT_EQ(done.status->state, kStateComplete);
}

TEST(MeterCommands, FramesArriveAtTheMeterExactlyAsBuilt) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    EXPECT_EQ(SendAcknowledged(link.link(), BuildECommand(t)), CommandOutcome::Accepted);
    EXPECT_EQ(SendAcknowledged(link.link(), BuildLCommand(10 + 2)), CommandOutcome::Accepted);
    EXPECT_EQ(SendAcknowledged(link.link(), BuildLCommand(85 + 2)), CommandOutcome::Accepted);

    TriggerSetup trigger;
    trigger.preTrigger = 1;
    trigger.urmsHigh = 999.9;
    trigger.irmsHigh = 9.999;
    trigger.prmsHigh = 999.9;
    EXPECT_EQ(SendAcknowledged(link.link(), BuildTCommand(trigger, kDefaultGainV, kDefaultGainI)),
              CommandOutcome::Accepted);

    EXPECT_EQ(link.sim.receivedFrames(),
              (Strings{"<E1803050E0709>", "<L0C>", "<L57>",
                       "<T010000000000000000AF81FFFF1C25FA7300000000>"}));
    EXPECT_EQ(link.sim.meterClock(), (sim::MeterClock{2024, 3, 5, 14, 7, 9}));
    EXPECT_EQ(link.sim.blockCount(), 87);
    const auto setup = link.sim.triggerSetup();
    ASSERT_TRUE(setup.has_value());
    EXPECT_EQ(setup->urmsHigh, 0xAF81);
    EXPECT_EQ(setup->irmsHigh, 0xFFFF);
}

TEST(MeterCommands, RefusedCommandIsToldApartFromAnAcceptedOne) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    ASSERT_EQ(SendAcknowledged(link.link(), BuildLCommand(32)), CommandOutcome::Accepted);
    sim::Faults faults;
    faults.refuseL = true;
    link.sim.setFaults(faults);
    EXPECT_EQ(SendAcknowledged(link.link(), BuildLCommand(12)), CommandOutcome::Refused);
    EXPECT_EQ(link.sim.blockCount(), 32);
}

TEST(MeterCommands, EepromAccessFailsOnAWrongReplyAndLeavesTheValue) {
    test::ScriptedPort port;
    // Replies not of the V shape are retried like a timeout, then the drain finds the line
    // quiet; a refusal of W is an answer.
    port.readResults = {{"<1>"}, {"<K>"}, {"<3F0>"}, {""}, {"<N>"}};
    test::LogCapture log;
    std::uint8_t value = 0x42;
    EXPECT_FALSE(ReadEepromByte(port, 3, value));
    EXPECT_EQ(value, 0x42);
    EXPECT_FALSE(WriteEepromByte(port, 25, 0xFF));
    // Addresses outside the EEPROM are not sent at all.
    EXPECT_FALSE(ReadEepromByte(port, 256, value));
    EXPECT_FALSE(WriteEepromByte(port, -1, 0));
    EXPECT_EQ(port.written, (Strings{"<V03>", "<V03>", "<V03>", "<W19FF>"}));
    EXPECT_EQ(log.messages("DEBUG1"),
              (Strings{"read eeprom[3]=66, code 0", "write eeprom[25]=255, code 0",
                       "read eeprom[256]=66, code 0", "write eeprom[-1]=0, code 0"}));
}

TEST(MeterCommands, EepromBytesReadAndWrittenOnTheMeter) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    link.sim.setEepromByte(200, 0xA5);
    test::LogCapture log;
    std::uint8_t value = 0;
    EXPECT_TRUE(ReadEepromByte(link.link(), 200, value));
    EXPECT_EQ(value, 0xA5);
    EXPECT_TRUE(WriteEepromByte(link.link(), 9, 0x3C));
    EXPECT_EQ(link.sim.eeprom()[9], 0x3C);
    EXPECT_EQ(link.sim.receivedFrames(), (Strings{"<VC8>", "<W093C>"}));
    EXPECT_EQ(log.messages("DEBUG1"),
              (Strings{"read eeprom[200]=-91, code 1", "write eeprom[9]=60, code 1"}));
}

// A late reply, or one left behind on the line, must never answer another command. These talk
// to the real port, not the recorder, so that its discarding of stale input takes part.
TEST(MeterCommands, ReplyLeftOnTheLineIsDiscardedWhenThePortOpens) {
    SimulatedMeter link({}, test::MeterPort::Free);
    ASSERT_TRUE(link.ready());
    link.sim.setEepromByte(200, 0xA5);
    {
        // A status reply starts arriving, and its reader goes away without the rest.
        const std::unique_ptr<SerialPort> reader = OpenPort(link.path());
        ASSERT_TRUE(reader);
        ASSERT_TRUE(WritePort(*reader, kStatusCommand, 3));
        char first = 0;
        std::size_t received = 0;
        for (int reads = 0; reads < 100 && received == 0; ++reads) {
            ASSERT_TRUE(ReadPort(*reader, &first, 1, received));
        }
        ASSERT_EQ(first, '<');
    }

    test::LogCapture log;
    const std::unique_ptr<SerialPort> port = OpenPort(link.sim.portPath());
    ASSERT_TRUE(port);
    std::uint8_t value = 0;
    EXPECT_TRUE(ReadEepromByte(*port, 200, value));
    EXPECT_EQ(value, 0xA5);
    EXPECT_EQ(log.messages("INFO", "Stale"), Strings{"Stale input discarded, 22 bytes"});
    EXPECT_TRUE(log.messages("ERROR").empty());  // answered at the first attempt
}

TEST(MeterCommands, LateAcknowledgementIsRetriedNeverTakenForTheStatus) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    link.sim.setEepromByte(200, 0xA5);
    link.sim.setFaults(sim::Faults{.lateBytesMs = 100});
    // The "<K>" of this C arrives while the status query waits for its own reply.
    ASSERT_TRUE(WritePort(*link.port(), kClearCommand, 3));
    test::LogCapture log;
    const StatusQuery query = QueryStatus(*link.port());
    ASSERT_TRUE(query.answered) << query.reply;
    ASSERT_TRUE(query.status.has_value());
    EXPECT_EQ(query.status->hardwareVersion, 0x02);
    EXPECT_EQ(log.messages("ERROR"),
              (Strings{"Error Serial command <?>, unexpected reply of 3 octets",
                       "Error Serial command <?>, retry 1"}));
    // Whatever was still owed has been drained: the next command gets its own answer.
    std::uint8_t value = 0;
    EXPECT_TRUE(ReadEepromByte(*link.port(), 200, value));
    EXPECT_EQ(value, 0xA5);
}

TEST(MeterCommands, RepliesStillOwedAfterAFailedQueryNeverReachTheBulkData) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    ASSERT_EQ(SendAcknowledged(*link.port(), BuildLCommand(2)), CommandOutcome::Accepted);
    constexpr std::size_t kBytes = 2 * kBlockBytes;
    std::vector<char> expected(kBytes + 1);
    std::size_t length = 0;
    ASSERT_TRUE(SendCommand(*link.port(), kBulkCommand, expected.data(), expected.size(), kBytes,
                            length, kEmptyReadsBulk));

    // Past the status budget but within the bulk one: each attempt of the query leaves a reply
    // on its way, and the meter answers in order, so a reply still owed would come first in
    // the B data, which no shape check guards.
    link.sim.setFaults(sim::Faults{.lateBytesMs = 500});
    (void)QueryStatus(*link.port());
    std::vector<char> bulk(kBytes + 1);
    ASSERT_TRUE(SendCommand(*link.port(), kBulkCommand, bulk.data(), bulk.size(), kBytes, length,
                            kEmptyReadsBulk));
    EXPECT_EQ(bulk, expected);
}

}  // namespace
}  // namespace voltaris
