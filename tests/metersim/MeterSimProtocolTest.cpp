// Command replies of the simulated meter as seen through its terminal: status, block count,
// trigger set-up, arming, clock, mains period, frame recording and port reopening.
#include <gtest/gtest.h>

#include <mutex>

#include "SimPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using test::SimPort;

TEST(MeterSimStatus, LayoutForBothGenerationsAndOverrides) {
    struct Case {
        Config config;
        std::string versionDigits;
    };
    Config gen2;
    gen2.generation = 2;
    Config custom;
    custom.hardwareVersion = 0xA7;
    Config forcedDigit;
    forcedDigit.generation = 2;
    forcedDigit.generationDigit = '2';
    for (const Case& c :
         {Case{Config{}, "02"}, Case{gen2, "12"}, Case{custom, "A7"}, Case{forcedDigit, "22"}}) {
        MeterSimulator sim(c.config);
        ASSERT_TRUE(sim.start());
        SimPort port(sim.portPath());
        ASSERT_TRUE(port.isOpen());
        const std::string status = port.command("<?>");
        ASSERT_EQ(status.size(), 23u) << status;
        EXPECT_EQ(status[0], '<');
        EXPECT_EQ(status.find('>'), 22u) << "only the last byte may close the reply";
        EXPECT_EQ(status[9], 'I');
        EXPECT_EQ(status.substr(16, 2), c.versionDigits);
    }
}

TEST(MeterSimStatus, FollowsArmingCancelAndReset) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    sim.setTriggerHolds(false);
    EXPECT_EQ(port.command("<S>"), "<K>");
    EXPECT_EQ(port.command("<?>")[9], 'A');
    EXPECT_EQ(port.command("<C>"), "<K>");
    EXPECT_EQ(port.command("<?>")[9], 'I');
    EXPECT_EQ(port.command("<S>"), "<K>");
    EXPECT_EQ(port.command("<R>"), "<K>");
    EXPECT_EQ(port.command("<?>")[9], 'I');
    EXPECT_EQ(sim.captureState(), CaptureState::Idle);
}

TEST(MeterSimCommands, BlockCountAcceptsOneTo87Only) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<L01>"), "<K>");
    EXPECT_EQ(sim.blockCount(), 1);
    EXPECT_EQ(port.command("<L57>"), "<K>");
    EXPECT_EQ(sim.blockCount(), 87);
    for (const char* bad : {"<L00>", "<L58>", "<LFF>", "<L1>", "<L0G>", "<L012>"}) {
        EXPECT_EQ(port.command(bad), "<N>") << bad;
    }
    EXPECT_EQ(sim.blockCount(), 87) << "a refused L keeps the earlier count";
}

TEST(MeterSimCommands, TriggerSetupIsStoredOnlyWhenWellFormed) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<T03AF819A8B000100002710FFFF000186A0123489AB>"), "<K>");
    const TriggerSetup expected{3,      0xAF81,     0x9A8B, 0x00010000, 0x2710,
                                0xFFFF, 0x000186A0, 0x1234, 0x89AB};
    EXPECT_EQ(sim.triggerSetup(), expected);
    // One digit short, one too many, a non-hex digit.
    EXPECT_EQ(port.command("<T03AF819A8B000100002710FFFF000186A0123489A>"), "<N>");
    EXPECT_EQ(port.command("<T03AF819A8B000100002710FFFF000186A0123489AB0>"), "<N>");
    EXPECT_EQ(port.command("<T03AF819A8B00010000271XFFFF000186A0123489AB>"), "<N>");
    EXPECT_EQ(sim.triggerSetup(), expected);
}

TEST(MeterSimCommands, ClockMainsPeriodAndUnknownCommands) {
    for (int generation : {1, 2}) {
        Config config;
        config.generation = generation;
        MeterSimulator sim(config);
        ASSERT_TRUE(sim.start());
        SimPort port(sim.portPath());
        EXPECT_EQ(port.command("<F>"), generation == 1 ? "<F4E20>" : "<F6C00>");
        Waveform sixty;
        sixty.frequencyHz = 60;
        sim.setWaveform(sixty);
        // round(1e6 / 60) = 16667, round(1382400 / 60) = 23040
        EXPECT_EQ(port.command("<F>"), generation == 1 ? "<F411B>" : "<F5A00>");
        EXPECT_EQ(port.command("<E1803050E0709>"), "<K>");
        EXPECT_EQ(sim.meterClock(), (MeterClock{2024, 3, 5, 14, 7, 9}));
        EXPECT_EQ(port.command("<E18030>"), "<N>");
        EXPECT_EQ(port.command("<Q>"), "<N>");
        EXPECT_EQ(port.command("<>"), "<N>");
    }
}

TEST(MeterSimFrames, RecordsExactFramesAndIgnoresNoise) {
    std::mutex observedMutex;  // protects observed, filled on the service thread
    std::vector<std::string> observed;
    MeterSimulator sim;  // declared last: stopped before what its observer touches goes away
    ASSERT_TRUE(sim.setFrameObserver([&](const std::string& frame) {
        std::lock_guard lock(observedMutex);
        observed.push_back(frame);
    }));
    ASSERT_TRUE(sim.start());
    EXPECT_FALSE(sim.setFrameObserver(nullptr)) << "fixed while running";
    SimPort port(sim.portPath());
    const std::string overlong = "<T" + std::string(62, '0') + ">";
    // Noise outside frames, a frame split over two writes, a '<' restarting a frame, and a
    // frame too long to accept.
    port.send("junk\r\n<?>xx<L");
    ASSERT_TRUE(sim.waitForFrames(1, 2s));
    port.send("0C><C<F>" + overlong + "<R>");
    ASSERT_TRUE(sim.waitForFrames(4, 2s));
    EXPECT_EQ(sim.receivedFrames(), (std::vector<std::string>{"<?>", "<L0C>", "<F>", "<R>"}));
    const std::string replies = port.readUntil(
        [](const std::string& s) { return s.ends_with("<K>") && s.size() >= 23 + 3 + 7 + 3; });
    EXPECT_EQ(replies.substr(23), "<K><F4E20><K>");
    {
        std::lock_guard lock(observedMutex);
        EXPECT_EQ(observed, sim.receivedFrames());
    }

    sim.clearReceivedFrames();
    EXPECT_TRUE(sim.receivedFrames().empty());
    EXPECT_FALSE(sim.waitForFrames(1, 0ms));
    // Longest frame accepted: 64 bytes in all.
    EXPECT_EQ(port.command("<T" + std::string(61, '0') + ">"), "<N>");
    EXPECT_EQ(sim.receivedFrames().size(), 1u);
}

TEST(MeterSimPort, SurvivesCloseAndReopenAndRestart) {
    MeterSimulator sim;
    ASSERT_TRUE(sim.start());
    const std::string path = sim.portPath();
    for (int round = 0; round < 3; ++round) {
        SimPort port(path);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.command("<L02>"), "<K>") << "round " << round;
    }
    EXPECT_FALSE(sim.start()) << "already running";
    sim.stop();
    EXPECT_TRUE(sim.portPath().empty());
    ASSERT_TRUE(sim.start());
    SimPort port(sim.portPath());
    EXPECT_EQ(port.command("<F>"), "<F4E20>");
}

}  // namespace
}  // namespace voltaris::sim
