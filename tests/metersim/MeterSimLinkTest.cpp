// The meter's link dropping and coming back at one device path, as a Bluetooth serial link
// does: the program's open terminal hangs up, the link path goes, and a new terminal behind the
// same path answers with the meter's state as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "SimPort.h"
#include "meter-sim/MeterSimulator.h"
#include "meter-sim/SampleSynth.h"
#include "support/TempDir.h"

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using test::SimPort;
namespace fs = std::filesystem;

// A program-side descriptor on the slave after the master closed. Linux hangs the slave up:
// poll reports POLLHUP and read() returns 0 (end of file); only writes fail, with EIO.
void ExpectHangUp(int fd) {
    pollfd watch{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&watch, 1, 2000), 1);
    EXPECT_TRUE(watch.revents & POLLHUP);
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 0);
    const ssize_t written = ::write(fd, "<?>", 3);
    const int error = errno;
    EXPECT_EQ(written, -1);
    EXPECT_EQ(error, EIO);
}

std::string LinkTarget(const std::string& link) {
    std::error_code error;
    return fs::read_symlink(link, error).string();
}

class MeterSimLink : public ::testing::Test {
protected:
    static Config linked(const std::string& path, bool paced = false) {
        Config config;
        config.linkPath = path;
        config.paced = paced;
        return config;
    }

    voltaris::test::TempDir m_dir;
    const std::string m_link = m_dir.file("rfcomm0");
};

TEST_F(MeterSimLink, DropHangsUpAndRestoreAnswersWithTheStateKept) {
    fs::create_symlink("/dev/null", m_link);  // left by an earlier run: replaced
    MeterSimulator sim(linked(m_link));
    ASSERT_TRUE(sim.start());
    EXPECT_EQ(sim.linkPath(), m_link);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(sim.linkUp());
        ASSERT_EQ(LinkTarget(m_link), sim.portPath());
        SimPort port(m_link);
        ASSERT_TRUE(port.isOpen());
        if (round == 0) {
            sim.setTriggerHolds(false);
            ASSERT_EQ(port.command("<L05>"), "<K>");
            ASSERT_EQ(port.command("<W1077>"), "<K>");
            ASSERT_EQ(port.command("<S>"), "<K>");
        }
        // The meter as it was left before the first drop.
        EXPECT_EQ(port.command("<?>").at(9), 'A') << round;
        EXPECT_EQ(port.command("<V10>"), "<77>");
        EXPECT_EQ(sim.blockCount(), 5);

        const int program = ::open(m_link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(program, 0);
        sim.dropLink();
        EXPECT_FALSE(sim.linkUp());
        EXPECT_TRUE(sim.portPath().empty());
        EXPECT_FALSE(fs::exists(fs::symlink_status(m_link)));
        ExpectHangUp(program);
        ::close(program);
        sim.dropLink();  // dropping a dropped link changes nothing
        EXPECT_EQ(sim.captureState(), CaptureState::Armed);
        EXPECT_TRUE(sim.restoreLink());
        EXPECT_TRUE(sim.restoreLink()) << "restoring a link that is up keeps it";
    }
    EXPECT_EQ(sim.receivedFrames().size(), 3u + 3 * 2);
    sim.stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_link))) << "stop removes the link";
    EXPECT_FALSE(sim.restoreLink()) << "no link without a running meter";
}

TEST_F(MeterSimLink, ReplyHalfSentIsLostWithTheLink) {
    MeterSimulator sim(linked(m_link, true));  // paced: 87 blocks take about two seconds
    const std::size_t whole = 87u * kBytesPerBlock;
    ASSERT_TRUE(sim.start());
    {
        SimPort port(m_link);
        ASSERT_EQ(port.command("<L57>"), "<K>");
        port.send("<B>");
        const std::string part = port.readBytes(100);
        ASSERT_GE(part.size(), 100u);
        sim.dropLink();
        EXPECT_LT(part.size() + port.readBytes(whole).size(), whole)
            << "the rest of the reply does not arrive";
    }
    ASSERT_TRUE(sim.restoreLink());
    SimPort port(m_link);
    EXPECT_EQ(port.command("<F>"), "<F4E20>") << "nothing of the old reply on the new link";
}

TEST_F(MeterSimLink, ObserverAndOtherThreadsMayDropAndRestore) {
    MeterSimulator sim(linked(m_link));
    // Dropped from the service thread when the capture is asked for: its reply goes too.
    ASSERT_TRUE(sim.setFrameObserver([&sim](const std::string& frame) {
        if (frame == "<B>") {
            sim.dropLink();
        }
    }));
    ASSERT_TRUE(sim.start());
    {
        SimPort port(m_link);
        port.send("<B>");
        EXPECT_EQ(port.readBytes(1), "");
        // The service thread may still be on its way to the frame on a loaded machine.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sim.linkUp() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_FALSE(sim.linkUp());
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&sim] {
            for (int i = 0; i < 20; ++i) {
                sim.dropLink();
                sim.restoreLink();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(sim.restoreLink());
    EXPECT_EQ(LinkTarget(m_link), sim.portPath());
    SimPort port(m_link);
    EXPECT_EQ(port.command("<?>").size(), 23u);
}

TEST_F(MeterSimLink, OnlyASymbolicLinkIsReplaced) {
    MeterSimulator sim(linked(m_link));
    for (const bool running : {false, true}) {
        std::ofstream(m_link) << "user data";
        EXPECT_FALSE(running ? sim.restoreLink() : sim.start());
        EXPECT_FALSE(sim.linkUp());
        EXPECT_EQ(voltaris::test::ReadFile(m_link), "user data");
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator{}), 1)
            << "no temporary link is left behind";
        // Started on a free path, then the path taken while the link is down.
        fs::remove(m_link);
        if (!running) {
            ASSERT_TRUE(sim.start());
            sim.dropLink();
        }
    }
    EXPECT_TRUE(sim.running()) << "a link that cannot come back leaves the meter running";
    fs::remove(m_link);
    EXPECT_TRUE(sim.restoreLink());
}

}  // namespace
}  // namespace voltaris::sim
