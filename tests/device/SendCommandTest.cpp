// The command exchange against the meter simulator, through the real serial backend.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using test::PortCall;
using test::SimulatedMeter;
using Strings = std::vector<std::string>;

constexpr float kDefaultGainV = 0.0222550128f;
constexpr float kDefaultGainI = 9.5138399e-05f;

TEST(SendCommand, ShortReplyIsReadByteByByteUpToTheTerminator) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    test::LogCapture log;
    char reply[64];
    std::size_t length = 99;
    ASSERT_TRUE(SendCommand(link.link(), kClearCommand, reply, sizeof reply, 0, length, 20));
    EXPECT_EQ(length, 3u);
    EXPECT_STREQ(reply, "<K>");
    EXPECT_EQ(link.sim.receivedFrames(), Strings{"<C>"});

    std::size_t received = 0;
    for (const PortCall& read : link.link().reads()) {
        EXPECT_EQ(read.requested, 1u);
        received += read.moved;
    }
    EXPECT_EQ(received, 3u);  // no drain after a first-time success
    EXPECT_EQ(log.messages("INFO"),
              (Strings{"write <C>, retour 1", "read 3 octets (<K>), retour 1"}));
    EXPECT_TRUE(log.messages("ERROR").empty());
}

TEST(SendCommand, BulkReplyIsAssembledFromReadsOfAtMostOneThousandBytes) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    constexpr int kBlocks = 12;
    constexpr std::size_t kBytes = kBlocks * kBlockBytes;
    static char reply[kMaxBulkBytes + 1];
    std::size_t length = 0;
    char ack[16];
    ASSERT_TRUE(
        SendCommand(link.link(), BuildLCommand(kBlocks).c_str(), ack, sizeof ack, 0, length, 20));
    ASSERT_TRUE(SendCommand(link.link(), kStartCommand, ack, sizeof ack, 0, length, 20));
    ASSERT_TRUE(link.sim.waitForCaptureState(sim::CaptureState::Complete, 5s));
    link.link().clear();

    ASSERT_TRUE(SendCommand(link.link(), kBulkCommand, reply, sizeof reply, kBytes, length,
                            kEmptyReadsBulk));
    EXPECT_EQ(length, kBytes);
    std::size_t assembled = 0;
    for (const PortCall& read : link.link().reads()) {
        EXPECT_EQ(read.requested, std::min<std::size_t>(kBytes - assembled, 1000));
        assembled += read.moved;
    }
    EXPECT_EQ(assembled, kBytes);

    // The samples are the simulated 230 V / 1 A in-phase load over whole periods.
    std::vector<std::int16_t> v(kBytes / 4);
    std::vector<std::int16_t> c(kBytes / 4);
    ASSERT_EQ(UnpackSamples({reinterpret_cast<const std::uint8_t*>(reply), length}, v, c),
              v.size());
    double vv = 0;
    double ii = 0;
    double vi = 0;
    for (std::size_t k = 0; k < v.size(); ++k) {
        const double volts = v[k] * double{kDefaultGainV};
        const double amps = c[k] * double{kDefaultGainI};
        vv += volts * volts;
        ii += amps * amps;
        vi += volts * amps;
    }
    const double n = static_cast<double>(v.size());
    EXPECT_NEAR(std::sqrt(vv / n), 230.0, 2.3);
    EXPECT_NEAR(std::sqrt(ii / n), 1.0, 0.01);
    EXPECT_NEAR(vi / n, 230.0, 4.6);
}

TEST(SendCommand, SilentMeterSpendsTheSharedEmptyReadBudgetOnTheFirstAttempt) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    sim::Faults faults;
    faults.silent = true;
    link.sim.setFaults(faults);
    test::LogCapture log;

    char reply[64];
    std::size_t length = 99;
    EXPECT_FALSE(SendCommand(link.link(), kStatusCommand, reply, sizeof reply, 0, length, 20));
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(reply, "");

    // 21 empty reads end the first attempt, one each the second and third, then the drain.
    std::string expected = "W";
    for (int i = 0; i < 21; ++i) {
        expected += " R0";
    }
    expected += " W R0 W R0 R0";
    EXPECT_EQ(link.link().trace(), expected);
    const auto reads = link.link().reads();
    // Nothing came at all: the drain takes the short look, not the full read.
    EXPECT_EQ(reads.back().requested, kSilentDrainReadSize);
    EXPECT_TRUE(link.sim.waitForFrames(3, 2s));
    EXPECT_EQ(link.sim.receivedFrames(), (Strings{"<?>", "<?>", "<?>"}));

    EXPECT_EQ(log.messages("ERROR"),
              (Strings{"Error Serial command <?>, retry 1", "Error Serial command <?>, retry 2",
                       "Error Serial command <?>, no more retries..."}));
    EXPECT_EQ(log.messages("INFO", "write").size(), 3u);
    EXPECT_EQ(log.messages("INFO", "read"), Strings(3, "read 0 octets (), retour 0"));
    EXPECT_EQ(log.messages("INFO", "Cleaning"), Strings{"Cleaning queue, 0 bytes received"});
}

TEST(SendCommand, ReplyWithoutTerminatorEndsOnlyThroughTheBudgetAndKeepsItsBytes) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    sim::Faults faults;
    faults.noTerminator = true;
    link.sim.setFaults(faults);
    test::LogCapture log;

    char reply[64];
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(link.link(), kClearCommand, reply, sizeof reply, 0, length, 3));
    EXPECT_EQ(length, 2u);
    EXPECT_STREQ(reply, "<K");
    // Four empty reads in the first attempt, one in each later one, one in the drain.
    EXPECT_EQ(link.link().emptyReads(), 4 + 1 + 1 + 1);
    EXPECT_EQ(link.link().writes(), 3);
    EXPECT_EQ(log.messages("INFO", "read"), Strings(3, "read 2 octets (<K), retour 0"));
    EXPECT_EQ(log.messages("ERROR").back(), "Error Serial command <C>, no more retries...");
}

TEST(SendCommand, ReplyCompleteOnALaterAttemptIsStillFollowedByTheDrain) {
    // The meter finds its voice once the first frame has gone unanswered.
    SimulatedMeter link({}, test::MeterPort::Opened, [](sim::MeterSimulator& meter) {
        meter.setFrameObserver([&meter](const std::string&) { meter.setFaults({}); });
    });
    ASSERT_TRUE(link.ready());
    sim::Faults faults;
    faults.silent = true;
    link.sim.setFaults(faults);
    test::LogCapture log;

    char reply[64];
    std::size_t length = 0;
    EXPECT_TRUE(SendCommand(link.link(), kStatusCommand, reply, sizeof reply, 0, length, 2));
    EXPECT_EQ(length, kStatusReplyLength);
    EXPECT_EQ(link.link().writes(), 2);
    EXPECT_EQ(link.link().reads().back().requested, kDrainReadSize);
    EXPECT_EQ(log.messages("ERROR"), Strings{"Error Serial command <?>, retry 1"});
    EXPECT_EQ(log.messages("INFO", "Cleaning"), Strings{"Cleaning queue, 0 bytes received"});
}

TEST(SendCommand, TerminatorReplyStopsWhenTheBufferIsFull) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    ASSERT_TRUE(WritePort(link.link(), kStatusCommand, 3));
    ASSERT_TRUE(link.sim.waitForFrames(1, 2s));
    test::LogCapture log;
    // 10 usable bytes, followed by bytes the exchange must never touch.
    char storage[40];
    std::memset(storage, 'Z', sizeof storage);
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(link.link(), "", storage, 10, 0, length, 20));
    EXPECT_EQ(length, 9u);
    EXPECT_EQ(std::string(storage), "<00000000");
    for (std::size_t i = 10; i < sizeof storage; ++i) {
        ASSERT_EQ(storage[i], 'Z') << "byte " << i;
    }
    // The rest of the 23-character reply is left to the drain.
    EXPECT_EQ(log.messages("INFO", "Cleaning"), Strings{"Cleaning queue, 14 bytes received"});
}

TEST(SendCommand, TerminatorReplyNeedsRoomForItsTerminatingZero) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    char reply[kStatusReplyLength + 1];
    std::size_t length = 0;
    ASSERT_TRUE(WritePort(link.link(), kStatusCommand, 3));
    ASSERT_TRUE(link.sim.waitForFrames(1, 2s));
    EXPECT_TRUE(SendCommand(link.link(), "", reply, kStatusReplyLength + 1, 0, length, 20));
    EXPECT_EQ(length, kStatusReplyLength);

    ASSERT_TRUE(WritePort(link.link(), kStatusCommand, 3));
    ASSERT_TRUE(link.sim.waitForFrames(2, 2s));
    EXPECT_FALSE(SendCommand(link.link(), "", reply, kStatusReplyLength, 0, length, 20));
    EXPECT_EQ(length, kStatusReplyLength - 1);
}

TEST(SendCommand, FixedLengthBeyondTheBufferIsRefusedBeforeAnythingIsSent) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    test::LogCapture log;
    char reply[16];
    std::size_t length = 7;
    EXPECT_FALSE(SendCommand(link.link(), kBulkCommand, reply, sizeof reply, sizeof reply, length,
                             kEmptyReadsBulk));
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(link.link().calls().empty());
    EXPECT_EQ(log.messages("ERROR"), Strings{"Error Serial command <B>, reply buffer too small"});
}

TEST(SendCommand, EmptyCommandCollectsPendingBytesWithoutWriting) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    ASSERT_TRUE(WritePort(link.link(), "<C>", 3));
    ASSERT_TRUE(link.sim.waitForFrames(1, 2s));
    char reply[16];
    std::size_t length = 0;
    EXPECT_TRUE(SendCommand(link.link(), "", reply, sizeof reply, 3, length, 20));
    EXPECT_STREQ(reply, "<K>");
    EXPECT_EQ(link.link().writes(), 1);  // only the write above
}

TEST(SendCommand, EmptyCommandThatFailsIsNotRetried) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    test::LogCapture log;
    char reply[16];
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(link.link(), "", reply, sizeof reply, 5, length, 2));
    // One attempt of three empty reads, then the drain.
    EXPECT_EQ(link.link().trace(), "R0 R0 R0 R0");
    EXPECT_EQ(log.messages("ERROR"), Strings{"Error Serial command , no more retries..."});
    EXPECT_EQ(log.messages("INFO", "Cleaning").size(), 1u);
}

TEST(SendCommand, BulkReplyCutShortFailsAndKeepsWhatArrived) {
    SimulatedMeter link;
    ASSERT_TRUE(link.ready());
    constexpr std::size_t kBytes = 2 * kBlockBytes;
    char ack[16];
    std::size_t length = 0;
    ASSERT_TRUE(SendCommand(link.link(), BuildLCommand(2).c_str(), ack, sizeof ack, 0, length, 20));
    sim::Faults faults;
    faults.cutBulkAt = 1500;
    link.sim.setFaults(faults);
    link.link().clear();
    test::LogCapture log;

    char reply[kBytes + 1];
    EXPECT_FALSE(SendCommand(link.link(), kBulkCommand, reply, sizeof reply, kBytes, length, 1));
    EXPECT_EQ(length, 1500u);
    EXPECT_EQ(link.link().writes(), 3);
    // Two empty reads end the first attempt, one each of the others, one in the drain.
    EXPECT_EQ(link.link().emptyReads(), 2 + 1 + 1 + 1);
    const auto reads = log.messages("INFO", "read 1500 octets (");
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_NE(reads[0].find("...), retour 0"), std::string::npos);
}

}  // namespace
}  // namespace voltaris
