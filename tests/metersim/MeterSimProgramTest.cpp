// The voltaris-meter-sim program run as a child process: terminal path on its first line,
// options applied, clean exit on SIGTERM, usage errors.
#include <gtest/gtest.h>
#include <signal.h>

#include "SimPort.h"
#include "support/ChildProcess.h"

namespace voltaris::sim {
namespace {

using Program = voltaris::test::ChildProcess;

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
