// The voltaris-meter-sim program run as a child process: terminal path on its first line,
// options applied, clean exit on SIGTERM, usage errors.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "SimPort.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace voltaris::sim {
namespace {

using Program = voltaris::test::ChildProcess;
using namespace std::chrono_literals;

TEST(MeterSimProgram, PrintsPathAnswersAndExitsCleanlyOnSignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        Program program(VOLTARIS_METERSIM_PROGRAM,
                        {"--generation", "2", "--refuse", "L", "--erased-eeprom"});
        ASSERT_TRUE(program.started());
        const std::string path = program.readLine();
        ASSERT_TRUE(path.starts_with("/dev/")) << path;
        test::SimPort port(path);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.command("<?>").substr(16, 2), "12");
        EXPECT_EQ(port.command("<L05>"), "<N>");
        EXPECT_EQ(port.command("<V00>"), "<FF>");
        program.signal(signal);
        EXPECT_EQ(program.wait(), 0);
    }
}

TEST(MeterSimProgram, SignalsDropAndRestoreTheLinkPath) {
    voltaris::test::TempDir dir;
    const std::string link = dir.file("rfcomm0");
    auto linked = [&] { return std::filesystem::is_symlink(link); };
    Program program(VOLTARIS_METERSIM_PROGRAM, {"--link", link});
    ASSERT_TRUE(program.started());
    ASSERT_EQ(program.readLine(), link);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(linked());
        test::SimPort port(link);
        ASSERT_TRUE(port.isOpen());
        if (round == 0) {
            ASSERT_EQ(port.command("<L05>"), "<K>");
        }
        EXPECT_EQ(port.command("<?>").size(), 23u);
        program.signal(SIGUSR1);
        EXPECT_TRUE(voltaris::test::WaitFor("link path removed", [&] { return !linked(); }));
        EXPECT_EQ(port.readBytes(1), "") << "the open terminal hung up";
        program.signal(SIGUSR2);
        EXPECT_TRUE(voltaris::test::WaitFor("link path back", linked));
    }
    test::SimPort port(link);
    EXPECT_EQ(port.command("<?>").size(), 23u);
    // A path taken by a file while the link is down: the link cannot come back.
    program.signal(SIGUSR1);
    ASSERT_TRUE(voltaris::test::WaitFor("link path removed", [&] { return !linked(); }));
    std::ofstream(link) << "user data";
    // Both pending at once, the lower-numbered SIGUSR2 is taken first.
    program.signal(SIGUSR2);
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(), 0);
    program.readToEnd(5s);
    EXPECT_EQ(program.out(), "") << "nothing on standard output after the path";
    EXPECT_EQ(program.err(), "voltaris-meter-sim: cannot bring the link back\n");
    EXPECT_EQ(voltaris::test::ReadFile(link), "user data");

    Program occupied(VOLTARIS_METERSIM_PROGRAM, {"--link", link});
    EXPECT_EQ(occupied.readLine(), "");
    EXPECT_EQ(occupied.wait(), 1);
    occupied.readToEnd(5s);
    EXPECT_EQ(occupied.err(),
              "voltaris-meter-sim: cannot open a pseudo-terminal linked at " + link + "\n");
}

TEST(MeterSimProgram, HelpAndUsageErrors) {
    Program help(VOLTARIS_METERSIM_PROGRAM, {"--help"});
    EXPECT_TRUE(help.readLine().starts_with("Usage: voltaris-meter-sim"));
    EXPECT_EQ(help.wait(), 0);
    Program bad(VOLTARIS_METERSIM_PROGRAM, {"--generation", "7"});
    EXPECT_EQ(bad.readLine(), "") << "no terminal is opened";
    EXPECT_EQ(bad.wait(), 2);
}

}  // namespace
}  // namespace voltaris::sim
