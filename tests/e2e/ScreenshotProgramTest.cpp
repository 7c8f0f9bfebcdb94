// voltaris --screenshot run as a process: it starts like the desktop program, waits for the
// first capture, writes a PNG of the whole window and exits; in demonstration mode and against a
// simulated meter on a pseudo-terminal, with its failures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "support/ChildProcess.h"
#include "support/Pixels.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

struct ProgramRun {
    int exitCode = -1;
    QString err;
};

class ScreenshotProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    // The program with its settings in a private folder, no display, and an empty port tree, so
    // that only the ports named on its command line are probed.
    ProgramRun run(const QStringList& args) const {
        test::Environment environment;
        environment.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                           {"XDG_DATA_HOME", m_dir.file("data")},
                           {"QT_QPA_PLATFORM", "offscreen"}};
        environment.unset = {"VOLTARIS_PORTS"};
        std::vector<std::string> all;
        for (const QString& arg : args) {
            all.push_back(arg.toStdString());
        }
        all.insert(all.end(), {"--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys")});
        const test::ProgramRun process = test::RunProgram(VOLTARIS_PROGRAM, all, environment);
        return {process.exitCode, QString::fromStdString(process.err)};
    }

    QString path(const char* name) const { return m_dir.filePath(name); }

    test::TempDir m_dir;
};

TEST_F(ScreenshotProgram, DemonstrationModeDrawsTheWindow) {
    const ProgramRun r = run({"--screenshot", path("demo.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The demonstration box was answered at once and its text printed.
    EXPECT_EQ(r.err.count("No Voltaris found - Demonstration mode"), 1);
    EXPECT_TRUE(r.err.contains("First capture drawn")) << r.err.toStdString();
    const QImage image(path("demo.png"));
    ASSERT_FALSE(image.isNull());
    // The client area of 995 x 681 pixels under the menu bar.
    EXPECT_EQ(image.width(), 995);
    EXPECT_GT(image.height(), 681);
    EXPECT_LT(image.height(), 681 + 60);
    // The voltage trace (0x008000) is drawn in the first pane.
    EXPECT_GT(test::countOf(image, 0x008000), 200);
}

TEST_F(ScreenshotProgram, SimulatedMeterOnANamedPort) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    const ProgramRun r = run({"--port", QString::fromStdString(meter.path()), "--screenshot",
                              path("meter.png"), "--page", "4"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Demonstration mode")) << r.err.toStdString();
    EXPECT_FALSE(QImage(path("meter.png")).isNull());
    // The capture came from the meter: it was armed and read.
    bool read = false;
    for (const std::string& frame : meter.sim.receivedFrames()) {
        read = read || frame.rfind("<B", 0) == 0;
    }
    EXPECT_TRUE(read);
}

TEST_F(ScreenshotProgram, FailuresEndWithANonZeroStatus) {
    const ProgramRun unwritable = run({"--screenshot", path("missing/folder/shot.png")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("cannot write")) << unwritable.err.toStdString();

    const ProgramRun usage = run({"--screenshot", path("s.png"), "--page", "9"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains("usage: voltaris")) << usage.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("s.png")));
}

}  // namespace
}  // namespace voltaris
