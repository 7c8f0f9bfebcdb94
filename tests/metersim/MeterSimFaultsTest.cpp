// Fault switches of the simulated meter and the paced line rate. Missing replies are shown by
// the next reply read: it belongs to a later command, so nothing came in between.
#include <gtest/gtest.h>

#include "SimPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::SimPort;

class MeterSimFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.start());
        m_port = std::make_unique<SimPort>(m_sim.portPath());
        ASSERT_TRUE(m_port->isOpen());
    }
    // Sends `frame` under `faults`, then clears them once the meter has taken the frame.
    void sendFaulty(const Faults& faults, const std::string& frame) {
        m_sim.setFaults(faults);
        m_sim.clearReceivedFrames();
        m_port->send(frame);
        ASSERT_TRUE(m_sim.waitForFrames(1, 2s));
        m_sim.setFaults({});
    }

    MeterSimulator m_sim;
    std::unique_ptr<SimPort> m_port;
};

TEST_F(MeterSimFaults, SilentMeterAnswersNothingButStillHears) {
    sendFaulty(Faults{.silent = true}, "<L05>");
    EXPECT_EQ(m_port->command("<F>"), "<F4E20>");
    EXPECT_EQ(m_sim.blockCount(), 12) << "a silent meter does not act on commands";
    EXPECT_EQ(m_sim.receivedFrames(), (std::vector<std::string>{"<L05>", "<F>"}));
}

TEST_F(MeterSimFaults, NoTerminatorDropsOnlyTheFinalByte) {
    sendFaulty(Faults{.noTerminator = true}, "<?>");
    EXPECT_EQ(m_port->command("<F>"), "<00000000I000000020000<F4E20>");
}

TEST_F(MeterSimFaults, GarbageKeepsLengthButCarriesNoMeaning) {
    m_sim.setFaults(Faults{.garbage = true});
    const std::string status = m_port->command("<?>");
    ASSERT_EQ(status.size(), 23u);
    EXPECT_EQ(status.find('<'), std::string::npos);
    EXPECT_NE(status[9], 'A');
    EXPECT_NE(status[9], 'C');
    const std::string ack = m_port->command("<L05>");
    ASSERT_EQ(ack.size(), 3u);
    EXPECT_NE(ack[1], 'K');
}

TEST_F(MeterSimFaults, CutBulkStopsBAndXReplies) {
    ASSERT_EQ(m_port->command("<L02>"), "<K>");
    for (const std::string frame : {"<B>", "<XLOG002 0000>"}) {
        sendFaulty(Faults{.cutBulkAt = 1000}, frame);
        m_port->send("<F>");
        const std::string got =
            m_port->readUntil([](const std::string& s) { return s.ends_with("<F4E20>"); });
        EXPECT_EQ(got.size(), 1000u + 7) << frame;
    }
    m_sim.setFaults(Faults{.cutBulkAt = 0});
    EXPECT_EQ(m_port->command("<?>").size(), 23u) << "text replies are not cut";
}

TEST_F(MeterSimFaults, RefusedCommandsAnswerNAndChangeNothing) {
    ASSERT_EQ(m_port->command("<L03>"), "<K>");
    m_sim.setFaults(Faults{.refuseL = true, .refuseT = true, .refuseS = true});
    EXPECT_EQ(m_port->command("<L05>"), "<N>");
    EXPECT_EQ(m_port->command("<T000000000000000000000000000000000000000000>"), "<N>");
    EXPECT_EQ(m_port->command("<S>"), "<N>");
    EXPECT_EQ(m_sim.blockCount(), 3);
    EXPECT_FALSE(m_sim.triggerSetup());
    EXPECT_EQ(m_sim.captureState(), CaptureState::Idle);
    m_sim.setFaults(Faults{.refuseT = true});
    EXPECT_EQ(m_port->command("<L05>"), "<K>") << "each switch refuses only its command";
    EXPECT_EQ(m_port->command("<S>"), "<K>");
}

TEST_F(MeterSimFaults, LateBytesDelayEveryReply) {
    m_sim.setFaults(Faults{.lateBytesMs = 150});
    for (const char* frame : {"<?>", "<F>"}) {
        const auto sent = Clock::now();
        EXPECT_FALSE(m_port->command(frame).empty());
        EXPECT_GE(Clock::now() - sent, 150ms) << frame;
    }
}

TEST(MeterSimPacing, PacedReplyArrivesWholeNoFasterThanTheLine) {
    Config config;
    config.paced = true;
    MeterSimulator sim(config);
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    ASSERT_EQ(port.command("<L0A>"), "<K>");
    const auto sent = Clock::now();
    port.send("<B>");
    const std::string bulk = port.readBytes(10240);
    const auto elapsed = Clock::now() - sent;
    EXPECT_EQ(bulk.size(), 10240u);
    // 10239 byte times after the first byte, at 46080 bytes/s.
    EXPECT_GE(elapsed, std::chrono::microseconds(10239 * 1000000LL / 46080));
    EXPECT_EQ(port.command("<F>"), "<F4E20>") << "nothing more followed the bulk reply";
}

}  // namespace
}  // namespace voltaris::sim
