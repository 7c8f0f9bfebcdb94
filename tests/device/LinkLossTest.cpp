// The serial link when the meter's end goes away: a dropped link (the terminal closed, as a lost
// rfcomm connection) ends an exchange at once and is logged once; the same path opens again
// once the link is back; a bulk transfer that stops coming fails after the stall limit, without
// a second attempt.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "device/MeterCommands.h"
#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "meter-sim/MeterSimulator.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class LinkLoss : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.valid());
        ASSERT_TRUE(m_meter.start());
        m_port = OpenPort(m_config.linkPath);
        ASSERT_NE(m_port, nullptr);
    }

    test::TempDir m_dir;
    sim::Config m_config = [this] {
        sim::Config c;
        c.linkPath = m_dir.file("rfcomm0");
        return c;
    }();
    sim::MeterSimulator m_meter{m_config};
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(LinkLoss, ADroppedLinkEndsEveryExchangeAtOnceAndTheSamePathOpensAgain) {
    ASSERT_TRUE(QueryStatus(*m_port).status.has_value());
    test::LogCapture log;
    m_meter.dropLink();

    // Status, an acknowledged command and a bulk transfer: each fails at once, with no retry
    // and no drain, and the loss is logged once rather than once per empty read.
    const auto started = Clock::now();
    EXPECT_FALSE(QueryStatus(*m_port).answered);
    EXPECT_EQ(SendAcknowledged(*m_port, kStartCommand), CommandOutcome::Failed);
    std::vector<char> bulk(kBlockBytes + 1);
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(*m_port, kBulkCommand, bulk.data(), bulk.size(), kBlockBytes, length,
                             kEmptyReadsBulk));
    EXPECT_LT(Clock::now() - started, 500ms);
    EXPECT_TRUE(m_port->linkLost());
    EXPECT_EQ(log.messages("ERROR", "Link to the meter on ").size(), 1u);
    EXPECT_LE(log.messages("ERROR", "Error reading from target").size() +
                  log.messages("ERROR", "Error writing to target").size(),
              1u);
    EXPECT_TRUE(log.messages("INFO", "Cleaning queue").empty());

    // Not back yet: the reopen fails quietly and the port stays lost.
    EXPECT_FALSE(m_port->reopen());
    EXPECT_TRUE(log.messages("ERROR", "Error opening").empty());
    ASSERT_TRUE(m_meter.restoreLink());
    ASSERT_TRUE(m_port->reopen());
    EXPECT_FALSE(m_port->linkLost());
    EXPECT_TRUE(QueryStatus(*m_port).status.has_value());
}

TEST_F(LinkLoss, ABulkTransferThatStopsComingFailsAfterTheStallLimitWithoutRetry) {
    sim::Faults faults;
    faults.cutBulkAt = 1500;
    m_meter.setFaults(faults);
    m_meter.clearReceivedFrames();
    std::vector<char> bulk(12 * kBlockBytes + 1);
    std::size_t length = 0;
    const auto started = Clock::now();
    EXPECT_FALSE(SendCommand(*m_port, kBulkCommand, bulk.data(), bulk.size(), 12 * kBlockBytes,
                             length, kEmptyReadsBulk));
    const auto took = Clock::now() - started;
    EXPECT_GE(took, kStallLimit);
    // The stall, plus the drain's short look and the two 10 ms pauses.
    EXPECT_LT(took, kStallLimit + 1500ms);
    EXPECT_EQ(m_meter.receivedFrames(), std::vector<std::string>{"<B>"});
}

}  // namespace
}  // namespace voltaris
