// Fault switches of the simulated meter and the paced line rate. Missing replies are shown by
// the next reply read: it belongs to a later command, so nothing came in between.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "SimPort.h"
#include "meter-sim/MeterModel.h"
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

TEST_F(MeterSimFaults, SilencedCommandIsHeardButNotCarriedOut) {
    sendFaulty(Faults{.silentOn = "LS"}, "<S>");
    EXPECT_EQ(m_port->command("<?>").at(9), 'I') << "a silenced S does not arm";
    EXPECT_EQ(m_sim.receivedFrames(), (std::vector<std::string>{"<S>", "<?>"}));
}

// What a raw client reads back for one command with some faults on: the bytes that arrive
// before the reply to a clean "<VFE>" sent after it (EEPROM byte FE is set to A5 for it).
struct FaultCase {
    const char* name;
    Faults faults;
    std::string frame;
    // The expected bytes, given the reply the same frame gets without faults.
    std::function<std::string(const std::string& clean)> expected;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

// The clean reply, cut after `cut` bytes (-1: whole), `times` times back to back.
std::function<std::string(const std::string&)> Repeated(int times, int cut = -1) {
    return [=](const std::string& clean) {
        const std::string once = cut < 0 ? clean : clean.substr(0, static_cast<std::size_t>(cut));
        std::string all;
        for (int i = 0; i < times; ++i) {
            all += once;
        }
        return all;
    };
}

std::function<std::string(const std::string&)> Exactly(std::string bytes) {
    return [bytes](const std::string&) { return bytes; };
}

// The first reply of a model on its own with noise seeded alike.
std::function<std::string(const std::string&)> NoiseOf(int seed, std::string frame) {
    return [=](const std::string&) {
        MeterModel model({}, Clock::now());
        model.setFaults({.noise = true, .noiseSeed = seed});
        return model.handleFrame(frame, Clock::now());
    };
}

class MeterSimFaultTable : public MeterSimFaults, public ::testing::WithParamInterface<FaultCase> {
protected:
    std::string replyTo(const Faults& faults, const std::string& frame) {
        sendFaulty(faults, frame);
        m_port->send("<VFE>");
        std::string got =
            m_port->readUntil([](const std::string& s) { return s.ends_with("<A5>"); });
        EXPECT_TRUE(got.ends_with("<A5>")) << "the meter answers again once the fault is off";
        got.resize(got.size() >= 4 ? got.size() - 4 : 0);
        return got;
    }
};

TEST_P(MeterSimFaultTable, ClientReadsBack) {
    const FaultCase& c = GetParam();
    m_sim.setEepromByte(0xFE, 0xA5);
    ASSERT_EQ(m_port->command("<L02>"), "<K>");
    const std::string clean = replyTo({}, c.frame);
    ASSERT_FALSE(clean.empty());
    EXPECT_EQ(replyTo(c.faults, c.frame), c.expected(clean));
}

const Faults kLong{.longReplies = true};

INSTANTIATE_TEST_SUITE_P(
    NewFaults, MeterSimFaultTable,
    ::testing::Values(
        FaultCase{"SilentOnStatus", {.silentOn = "?"}, "<?>", Repeated(0)},
        FaultCase{"SilentOnArming", {.silentOn = "S"}, "<S>", Repeated(0)},
        FaultCase{"SilentOnCapture", {.silentOn = "BFX"}, "<B>", Repeated(0)},
        FaultCase{"SilentOnLogBlock", {.silentOn = "BFX"}, "<XLOG002 0000>", Repeated(0)},
        FaultCase{"SilentOnLeavesOthers", {.silentOn = "BFX"}, "<?>", Repeated(1)},
        FaultCase{"RefuseV", {.refuseV = true}, "<V00>", Exactly("<N>")},
        FaultCase{"LongAck", kLong, "<L05>", Exactly("<KKKKKKKKKK>")},
        FaultCase{"LongPeriod", kLong, "<F>",
                  Exactly("<F4E20F4E20F4E20F4E20F4E20F4E20F4E20F4E20F4E20F4E20>")},
        FaultCase{"LongWithoutTerminator",
                  {.noTerminator = true, .longReplies = true},
                  "<C>",
                  Exactly("<KKKKKKKKKK")},
        FaultCase{"LongCapture", kLong, "<B>", Repeated(10)},
        FaultCase{
            "LongCutCapture", {.cutBulkAt = 100, .longReplies = true}, "<B>", Repeated(10, 100)},
        FaultCase{"LongLogBlock", kLong, "<XLOG002 0000>", Repeated(10)},
        FaultCase{"NoiseForText", {.noise = true, .noiseSeed = 3}, "<?>", NoiseOf(3, "<?>")},
        FaultCase{"NoiseForBulk", {.noise = true, .noiseSeed = 4}, "<B>", NoiseOf(4, "<B>")}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(MeterModelNoise, SeededBytesOfAnyValueAndLength1To64) {
    MeterModel model({}, Clock::now());
    auto draw = [&](const Faults& faults) {
        model.setFaults(faults);
        std::vector<std::string> replies;
        for (int i = 0; i < 300; ++i) {
            replies.push_back(model.handleFrame(i % 2 ? "<F>" : "<B>", Clock::now()));
        }
        return replies;
    };
    const Faults seeded{.noise = true, .noiseSeed = 9};
    const auto first = draw(seeded);
    std::string all;
    std::set<std::size_t> sizes;
    for (const std::string& reply : first) {
        all += reply;
        sizes.insert(reply.size());
    }
    EXPECT_EQ(*sizes.begin(), 1u);
    EXPECT_EQ(*sizes.rbegin(), 64u);
    for (const char byte : {'\0', '>', '\xFF'}) {
        EXPECT_NE(all.find(byte), std::string::npos) << int(byte);
    }
    EXPECT_NE(draw({.noise = true, .noiseSeed = 9, .longReplies = true}), first)
        << "other switches do not restart the bytes";
    draw({});
    EXPECT_EQ(draw(seeded), first) << "switched on again, the seed repeats them";
    EXPECT_NE(draw({.noise = true, .noiseSeed = 10}), first);
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
