// The simulator's building blocks on their own: frame cutting, the pseudo-terminal, reply pacing
// and the program's option parsing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "meter-sim/FrameAssembler.h"
#include "meter-sim/PseudoTerminal.h"
#include "meter-sim/ReplyQueue.h"
#include "meter-sim/SimOptions.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;

TEST(FrameAssembler, CutsFramesAcrossFeedsAndDropsOverlongOnes) {
    FrameAssembler frames;
    EXPECT_TRUE(frames.feed("noise><").empty());
    EXPECT_EQ(frames.feed("W0"), std::vector<std::string>{});
    EXPECT_EQ(frames.feed("A12><?>"), (std::vector<std::string>{"<W0A12>", "<?>"}));
    // 65 bytes: dropped up to its '>', and the stream resumes cleanly after it.
    EXPECT_TRUE(frames.feed("<" + std::string(63, 'T') + ">").empty());
    EXPECT_EQ(frames.feed("<F>"), std::vector<std::string>{"<F>"});
    // An overlong frame is abandoned at the next '<'.
    EXPECT_EQ(frames.feed("<" + std::string(100, 'x') + "<C>"), std::vector<std::string>{"<C>"});
}

TEST(PseudoTerminal, RawSlaveAndNoHangUpWhenTheClientCloses) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.open());
    ASSERT_TRUE(terminal.slavePath().starts_with("/dev/"));
    for (int round = 0; round < 2; ++round) {
        const int client = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(client, 0);
        termios settings{};
        ASSERT_EQ(::tcgetattr(client, &settings), 0);
        EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw: no echo, no editing";
        EXPECT_EQ(settings.c_iflag & (ICRNL | IXON), 0u);
        ::close(client);
        // With the client gone the master must stay quiet, not report a hang-up.
        pollfd master{terminal.masterFd(), POLLIN, 0};
        EXPECT_EQ(::poll(&master, 1, 0), 0);
    }
    terminal.close();
    EXPECT_EQ(terminal.masterFd(), -1);
    EXPECT_TRUE(terminal.slavePath().empty());
}

TEST(ReplyQueue, UnpacedRepliesLeaveWholeAtTheirTime) {
    ReplyQueue queue(false);
    const auto t0 = ReplyQueue::Clock::time_point{} + 1s;
    queue.push("<K>", t0 + 5ms);
    EXPECT_TRUE(queue.writable(t0).empty());
    EXPECT_EQ(queue.nextDue(t0), t0 + 5ms);
    EXPECT_EQ(queue.writable(t0 + 5ms), "<K>");
    queue.consumed(2);
    EXPECT_EQ(queue.writable(t0 + 5ms), ">") << "a partial write resumes where it stopped";
    queue.consumed(1);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.nextDue(t0));
}

TEST(ReplyQueue, PacedRepliesFollowTheLineRateBackToBack) {
    ReplyQueue queue(true);
    const auto t0 = ReplyQueue::Clock::time_point{} + 1s;
    queue.push(std::string(4608, 'a'), t0);  // 100 ms on the line
    queue.push(std::string(10, 'b'), t0);
    EXPECT_EQ(queue.writable(t0).size(), 1u) << "the first byte leaves at once";
    queue.consumed(1);
    EXPECT_EQ(queue.writable(t0 + 10ms).size(), 461u - 1);
    EXPECT_LE(*queue.nextDue(t0 + 10ms), t0 + 10ms + ReplyQueue::kPaceSlice);
    EXPECT_EQ(queue.writable(t0 + 1s).size(), 4608u - 1) << "never more than the reply";
    queue.consumed(4607);
    // The second reply waits for the line: it starts where the first one ended.
    EXPECT_TRUE(queue.writable(t0 + 50ms).empty());
    EXPECT_EQ(queue.writable(t0 + 100ms).size(), 1u);
}

TEST(ReplyQueue, ClearedReplyHalfSentDoesNotHoldUpTheLine) {
    ReplyQueue queue(true);
    const auto t0 = ReplyQueue::Clock::time_point{} + 1s;
    queue.push(std::string(4608, 'a'), t0);  // 100 ms on the line
    queue.consumed(queue.writable(t0 + 10ms).size());
    queue.clear();  // the link dropped
    queue.push("<K>", t0 + 20ms);
    EXPECT_EQ(queue.writable(t0 + 20ms), "<") << "the next reply starts at once";
}

TEST(SimOptions, ParsesWaveformGenerationAndFaults) {
    const auto parsed = parseProgramOptions({"--generation",
                                             "2",
                                             "--paced",
                                             "--voltage=120",
                                             "--current",
                                             "3.5",
                                             "--phase",
                                             "-20",
                                             "--frequency",
                                             "60",
                                             "--harmonic-v",
                                             "3:0.05",
                                             "--harmonic-v",
                                             "5:0.02",
                                             "--harmonic-i",
                                             "7:0.3",
                                             "--noise-v",
                                             "4",
                                             "--noise-i",
                                             "2",
                                             "--silent",
                                             "--no-terminator",
                                             "--garbage",
                                             "--cut-bulk",
                                             "100",
                                             "--refuse",
                                             "LS",
                                             "--refuse",
                                             "T",
                                             "--late",
                                             "30",
                                             "--erased-eeprom",
                                             "--no-sd",
                                             "--fail-eeprom-read",
                                             "15",
                                             "--hardware-version",
                                             "1A",
                                             "--generation-digit",
                                             "2",
                                             "--link",
                                             "/tmp/rfcomm0",
                                             "--silent-on",
                                             "?S",
                                             "--silent-on=BS",
                                             "--refuse",
                                             "V",
                                             "--noise",
                                             "--noise-seed",
                                             "42",
                                             "--long-replies",
                                             "--verbose"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const ProgramOptions& o = parsed.options;
    EXPECT_EQ(o.config.generation, 2);
    EXPECT_TRUE(o.config.paced);
    EXPECT_EQ(o.config.hardwareVersion, 0x1A);
    EXPECT_EQ(o.config.generationDigit, '2');
    const Waveform& w = o.config.waveform;
    EXPECT_EQ(w.voltageRms, 120);
    EXPECT_EQ(w.currentRms, 3.5);
    EXPECT_EQ(w.currentPhaseDeg, -20);
    EXPECT_EQ(w.frequencyHz, 60);
    EXPECT_EQ(w.voltageHarmonics, (std::vector<std::pair<int, double>>{{3, 0.05}, {5, 0.02}}));
    EXPECT_EQ(w.currentHarmonics, (std::vector<std::pair<int, double>>{{7, 0.3}}));
    EXPECT_EQ(w.voltageNoise, 4);
    EXPECT_EQ(w.currentNoise, 2);
    const Faults& f = o.faults;
    EXPECT_TRUE(f.silent && f.noTerminator && f.garbage && f.noSdCard);
    EXPECT_TRUE(f.refuseL && f.refuseT && f.refuseS);
    EXPECT_EQ(f.cutBulkAt, 100);
    EXPECT_EQ(f.lateBytesMs, 30);
    EXPECT_EQ(f.failEepromReadAt, 15);
    EXPECT_EQ(o.config.linkPath, "/tmp/rfcomm0");
    EXPECT_EQ(f.silentOn, "?SB");
    EXPECT_TRUE(f.refuseV && f.noise && f.longReplies);
    EXPECT_EQ(f.noiseSeed, 42);
    EXPECT_TRUE(o.erasedEeprom && o.verbose);
    EXPECT_FALSE(o.help);
}

TEST(SimOptions, RejectsBadValuesAndUnknownOptions) {
    const std::vector<std::vector<std::string>> bad = {{"--generation", "3"},
                                                       {"--generation"},
                                                       {"--voltage", "abc"},
                                                       {"--frequency", "0"},
                                                       {"--harmonic-v", "1:0.1"},
                                                       {"--harmonic-i", "3"},
                                                       {"--refuse", "X"},
                                                       {"--refuse", ""},
                                                       {"--silent-on", "?Q"},
                                                       {"--silent-on", ""},
                                                       {"--silent-on", "<"},
                                                       {"--link", ""},
                                                       {"--link"},
                                                       {"--noise=1"},
                                                       {"--noise-seed", "-1"},
                                                       {"--fail-eeprom-read", "256"},
                                                       {"--cut-bulk", "-1"},
                                                       {"--late", "5ms"},
                                                       {"--paced=1"},
                                                       {"--bogus"},
                                                       {"--hardware-version", "100"}};
    for (const auto& args : bad) {
        const auto parsed = parseProgramOptions(args);
        EXPECT_FALSE(parsed.ok) << args[0];
        EXPECT_FALSE(parsed.error.empty());
    }
    EXPECT_TRUE(parseProgramOptions({"--help"}).options.help);
    EXPECT_TRUE(parseProgramOptions({}).ok);
}

}  // namespace
}  // namespace voltaris::sim
