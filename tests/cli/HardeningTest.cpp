// voltaris-cli against hostile inputs, run as a process: --help on every command, files that are
// no capture (a FIFO, /dev/zero, a /proc file, a folder), gains outside what a 32-bit float
// and the measurements take, outputs that cannot be written (refused before the meter hears
// anything), ports that do not open (and why), meters that answer nonsense, and a trigger that
// never comes.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

class Hardening : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.valid());
        std::ofstream(m_dir.file("plain")) << "not a device";
        // A real capture to point the options at.
        const test::ProgramRun made = run({"capture", "--demo", "--raw", m_dir.file("good.raw")});
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }

    // Runs voltaris-cli in a private home with an empty port tree; every run is bounded.
    test::ProgramRun run(std::vector<std::string> args,
                         std::chrono::milliseconds bound = 30s) const {
        if (!args.empty() && (args.front() == "capture" || args.front() == "detect")) {
            args.insert(args.end(),
                        {"--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys")});
        }
        const test::Environment environment{.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                                                    {"XDG_DATA_HOME", m_dir.file("data")}},
                                            .unset = {"VOLTARIS_PORTS"}};
        return test::RunProgram(VOLTARIS_CLI_PROGRAM, args, environment, bound);
    }

    std::string file(const char* name) const { return m_dir.file(name); }

    test::TempDir m_dir;
};

struct Case {
    std::vector<std::string> args;
    std::string message;  // on standard error
};

void expectRefused(const test::ProgramRun& r, const Case& c) {
    std::string line;
    for (const std::string& a : c.args) {
        line += a + ' ';
    }
    EXPECT_TRUE(r.finished) << line;
    EXPECT_EQ(r.exitCode, 2) << line << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << line << "\n" << r.out;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << line << "\n" << r.err;
}

TEST_F(Hardening, HelpWorksOnEveryCommandAndAtTheTop) {
    for (const char* command : {"status", "analyze", "detect", "capture", "calibrate", "files",
                                "download", "delete", "log-period", "report"}) {
        const test::ProgramRun r = run({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command << r.err;
        EXPECT_EQ(r.out.rfind(std::string("usage: voltaris-cli ") + command, 0), 0u) << r.out;
        EXPECT_NE(r.out.find("--help"), std::string::npos) << r.out;
        const test::ProgramRun viaHelp = run({"help", command});
        EXPECT_EQ(viaHelp.exitCode, 0) << command;
        EXPECT_EQ(viaHelp.out, r.out) << command;
    }
    for (const char* top : {"--help", "-h", "help"}) {
        const test::ProgramRun r = run({top});
        EXPECT_EQ(r.exitCode, 0) << top;
        EXPECT_NE(r.out.find("usage: voltaris-cli COMMAND"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("  log-period "), std::string::npos) << r.out;
    }
    EXPECT_EQ(run({}).exitCode, 2);  // no command at all is still a usage error
}

TEST_F(Hardening, OnlyRegularFilesAreReadAsCaptures) {
    ASSERT_EQ(::mkfifo(file("fifo").c_str(), 0600), 0);
    const std::string fifo = file("fifo");
    const Case cases[] = {
        {{"analyze", fifo}, fifo + " is a FIFO, not a capture file"},
        {{"analyze", "/dev/zero"}, "/dev/zero is a character device, not a capture file"},
        {{"analyze", "/proc/self/status"}, "/proc/self/status is not a regular file"},
        {{"analyze", m_dir.path().string()}, "is a folder, not a capture file"},
        {{"report", fifo, "--out", file("report")}, fifo + " is a FIFO"},
        {{"capture", "--replay", file("good.raw"), fifo}, fifo + " is a FIFO"},
    };
    for (const Case& c : cases) {
        expectRefused(run(c.args, 10s), c);
    }
}

TEST_F(Hardening, GainsAreRefusedUnlessFiniteAboveZeroAndWithinAFloat) {
    const std::string good = file("good.raw");
    const Case cases[] = {
        {{"analyze", good, "--gain-v", "-1"}, "--gain-v needs a gain above zero, not '-1'"},
        {{"analyze", good, "--gain-i", "0"}, "--gain-i needs a gain above zero"},
        {{"analyze", good, "--gain-v", "nan"}, "--gain-v needs a finite number"},
        {{"analyze", good, "--gain-v", "1e308"}, "'1e308' is out of range for a 32-bit float"},
        {{"analyze", good, "--gain-i", "1e-50"}, "'1e-50' is out of range for a 32-bit float"},
        {{"report", good, "--out", file("r"), "--gain-v", "-0.02"}, "above zero"},
        {{"capture", "--replay", good, "--gain-i", "-1e-4"}, "above zero"},
    };
    for (const Case& c : cases) {
        expectRefused(run(c.args), c);
    }
    EXPECT_EQ(run({"analyze", good, "--gain-v", "3e38"}).exitCode, 0);
}

TEST_F(Hardening, OutputsThatCannotBeWrittenAreRefusedBeforeTheMeterHearsAnything) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    const std::string plain = file("plain");  // a file where a folder is needed
    const Case cases[] = {
        {{"--raw", file("missing/x.raw")}, file("missing/x.raw") + ": No such file or directory"},
        {{"--raw", m_dir.path().string()}, ": Is a directory"},
        {{"--csv", plain + "/x.csv"}, plain + "/x.csv: Not a directory"},
        {{"--charts", file("missing/run-")}, "missing/run-: No such file or directory"},
        {{"--report", plain + "/deeper/report"}, "/deeper/report: Not a directory"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"capture", "--port", meter.path()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expectRefused(run(args), {args, c.message});
    }
    EXPECT_TRUE(meter.sim.receivedFrames().empty());
    // A report folder whose missing parents will be made is fine; so are the other commands'.
    const test::ProgramRun ok = run({"capture", "--demo", "--report", file("new/parents/rep")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    expectRefused(run({"analyze", file("good.raw"), "--csv", file("missing/a.csv")}),
                  {{"analyze --csv"}, "missing/a.csv: No such file or directory"});
    expectRefused(run({"report", file("good.raw"), "--out", plain + "/r"}),
                  {{"report --out"}, plain + "/r: Not a directory"});
}

TEST_F(Hardening, PortsThatDoNotOpenSayWhy) {
    test::SimulatedMeter held({}, test::MeterPort::Opened);  // this process holds its lock
    ASSERT_TRUE(held.ready());
    const std::string missing = file("no-such-port");
    const std::string plain = file("plain");
    const Case cases[] = {
        {{"status", "--port", missing}, "cannot open port " + missing + ": no such device"},
        {{"status", "--port", plain}, plain + ": it is not a serial device"},
        {{"status", "--port", held.path()}, ": it is in use by another program"},
        {{"capture", "--port", held.path()}, ": it is in use by another program"},
        {{"files", "--port", held.path()}, ": it is in use by another program"},
        {{"calibrate", "--port", missing, "--vrms-actual", "230", "--irms-actual", "1000",
          "--password", "271828"},
         missing + ": no such device"},
    };
    for (const Case& c : cases) {
        expectRefused(run(c.args), c);
    }
}

TEST_F(Hardening, MetersThatAnswerNonsenseAreNamedForWhatTheyAnswered) {
    struct Fault {
        sim::Faults faults;
        const char* command;
        std::string message;
    };
    const Fault faults[] = {
        {{.silent = true}, "capture", "no meter answers on "},
        {{.noTerminator = true},
         "capture",
         "answered 22 bytes instead of a meter's 23-byte status: \"<"},
        {{.garbage = true}, "capture", "answered something that is not a meter's status: \""},
        {{.noTerminator = true}, "status", "answered 22 bytes instead of a meter's 23-byte"},
    };
    for (const Fault& f : faults) {
        test::SimulatedMeter meter({}, test::MeterPort::Free);
        ASSERT_TRUE(meter.ready());
        meter.sim.setFaults(f.faults);
        expectRefused(run({f.command, "--port", meter.path()}), {{f.command}, f.message});
    }
}

TEST_F(Hardening, DetectWithoutAMeterSaysSoWithoutADemonstrationMode) {
    const std::string missing = file("no-such-port");
    const test::ProgramRun r = run({"detect", "--port", missing});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "[]\n");
    EXPECT_EQ(r.err.find("Demonstration mode"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("voltaris-cli detect: no meter found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot open port " + missing + ": no such device"), std::string::npos);
}

TEST_F(Hardening, TriggerTimeoutGivesUpOnATriggerThatNeverComes) {
    sim::Config config;
    config.triggerAlwaysHolds = false;
    test::SimulatedMeter meter(config, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    const auto start = std::chrono::steady_clock::now();
    const test::ProgramRun r = run({"capture", "--port", meter.path(), "--trigger-timeout", "0.5"});
    const auto took = std::chrono::steady_clock::now() - start;
    expectRefused(r, {{"capture --trigger-timeout 0.5"}, "no trigger within 0.5 s"});
    EXPECT_LT(took, 10s);
    const Case bad[] = {
        {{"capture", "--demo", "--trigger-timeout", "0"}, "--trigger-timeout needs a number"},
        {{"capture", "--demo", "--trigger-timeout", "-3"}, "--trigger-timeout needs a number"},
        {{"capture", "--demo", "--trigger-timeout", "soon"}, "--trigger-timeout needs a number"},
        {{"capture", "--demo", "--trigger-timeout", "1e9"}, "up to 86400"},
        {{"capture", "--replay", file("good.raw"), "--trigger-timeout", "5"}, "--replay"},
    };
    for (const Case& c : bad) {
        expectRefused(run(c.args), c);
    }
    // A trigger that comes in time is captured as usual.
    EXPECT_EQ(run({"capture", "--demo", "--trigger-timeout", "30"}).exitCode, 0);
}

}  // namespace
}  // namespace voltaris
