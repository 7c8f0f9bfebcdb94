// voltaris-cli capture run as a process: in demonstration mode, against a simulated meter on a
// pseudo-terminal, with --raw read back by analyze, on a communication error and on bad options.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

struct CliResult {
    int exitCode = -1;
    std::vector<QJsonObject> lines;  // one object per line of standard output
    QByteArray out;
    QString err;
};

class CaptureCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    // Runs voltaris-cli with its settings (and so its log switch) in a private folder and an
    // empty port tree, so that detection finds only the ports in `environmentPorts`.
    CliResult run(const QStringList& args, const QString& environmentPorts = {}) const {
        test::Environment environment;
        environment.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                           {"XDG_DATA_HOME", m_dir.file("data")}};
        environment.unset = {"VOLTARIS_PORTS"};
        if (!environmentPorts.isEmpty()) {
            environment.set.emplace_back("VOLTARIS_PORTS", environmentPorts.toStdString());
        }
        std::vector<std::string> all;
        for (const QString& arg : args) {
            all.push_back(arg.toStdString());
        }
        if (!args.isEmpty() && args.first() == "capture") {
            all.insert(all.end(),
                       {"--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys")});
        }
        const test::ProgramRun process = test::RunProgram(VOLTARIS_CLI_PROGRAM, all, environment);
        CliResult result;
        result.exitCode = process.exitCode;
        result.out = QByteArray::fromStdString(process.out);
        result.err = QString::fromStdString(process.err);
        for (const QByteArray& line : result.out.split('\n')) {
            if (!line.isEmpty()) {
                result.lines.push_back(QJsonDocument::fromJson(line).object());
            }
        }
        return result;
    }

    QString path(const char* name) const { return m_dir.filePath(name); }

    test::TempDir m_dir;
};

void setGainV(sim::MeterSimulator& meter, float gainV) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &gainV, sizeof bytes);  // little-endian, as stored in the EEPROM
    for (int k = 0; k < 4; ++k) {
        meter.setEepromByte(static_cast<std::uint8_t>(14 + k), bytes[k]);
    }
}

TEST_F(CaptureCommand, DemoCaptureIsAnalysedAndRepeatableAcrossRuns) {
    const CliResult first = run({"capture", "--demo"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(first.lines.size(), 1u);
    const QJsonObject o = first.lines.front();
    EXPECT_EQ(o["blockCount"].toInt(), 12);
    EXPECT_EQ(o["mainsPeriodTicks"].toInt(), 20000);
    EXPECT_EQ(o["hardwareVersion"].toInt(), 0);
    EXPECT_EQ(o["PeriodsAnalysed"].toInt(), 10);
    EXPECT_DOUBLE_EQ(o["F"].toDouble(), 50.0);
    // About 15500 raw peak with the default gains: some 245 V and 1.2 A.
    EXPECT_NEAR(o["Vrms"].toDouble(), 249, 6);
    EXPECT_NEAR(o["Irms"].toDouble(), 1.19, 0.05);
    EXPECT_EQ(o["limits"].toObject()["class"].toString(), "none");
    const QJsonObject calibration = o["calibration"].toObject();
    EXPECT_EQ(calibration["serialNumber"].toInt(), 9999);
    EXPECT_EQ(calibration["factoryCalibrationDate"].toInt(), 0);
    EXPECT_EQ(calibration["lastCalibrationDate"].toInt(), 99999999);
    EXPECT_FLOAT_EQ(static_cast<float>(calibration["gainV"].toDouble()), 0.0222550128f);

    const CliResult second = run({"capture", "--demo"});
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, first.out);  // the generator is never seeded
}

TEST_F(CaptureCommand, CountGivesThatManyContinuousCaptures) {
    const CliResult r = run({"capture", "--demo", "--count", "3", "--periods", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 3u);
    for (const QJsonObject& o : r.lines) {
        EXPECT_EQ(o["blockCount"].toInt(), 3);
        EXPECT_EQ(o["PeriodsAnalysed"].toInt(), 1);
    }
    EXPECT_NE(r.lines[0]["Vrms"].toDouble(), r.lines[1]["Vrms"].toDouble());
}

TEST_F(CaptureCommand, WithoutAnyMeterItRunsInDemonstrationMode) {
    const CliResult r = run({"capture"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]["mainsPeriodTicks"].toInt(), 20000);
    EXPECT_TRUE(r.err.contains("No Voltaris found - Demonstration mode"));
}

TEST_F(CaptureCommand, NamedMeterIsCapturedWithItsOwnCalibration) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    // The meter's own voltage gain: its samples and the trigger thresholds both use it.
    setGainV(meter.sim, 0.03f);
    const CliResult r =
        run({"capture", "--port", QString::fromStdString(meter.path()), "--periods", "4",
             "--pretrigger", "3", "--urms-high", "300", "--upeak", "2000", "--irms-low", "-5"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 1u);
    const QJsonObject o = r.lines.front();
    EXPECT_EQ(o["blockCount"].toInt(), 6);
    EXPECT_EQ(o["hardwareVersion"].toInt(), 2);
    EXPECT_EQ(o["mainsPeriodTicks"].toInt(), 20000);
    EXPECT_NEAR(o["Vrms"].toDouble(), 230, 1.5);
    EXPECT_NEAR(o["Irms"].toDouble(), 1.0, 0.02);
    EXPECT_EQ(o["calibration"].toObject()["serialNumber"].toInt(), 1234);
    EXPECT_FLOAT_EQ(static_cast<float>(o["calibration"].toObject()["gainV"].toDouble()), 0.03f);

    const auto trigger = meter.sim.triggerSetup();
    ASSERT_TRUE(trigger.has_value());
    EXPECT_EQ(trigger->preTrigger, 3);
    EXPECT_EQ(trigger->urmsHigh, 10000);            // 300 V / 0.03
    EXPECT_EQ(trigger->upeakMax, 33330);            // clamped to 999.9 V / 0.03
    EXPECT_EQ(trigger->irmsLow, 0);                 // clamped to 0 A
    EXPECT_FALSE(meter.sim.meterClock().has_value());  // a first-generation meter has no clock
}

TEST_F(CaptureCommand, DetectedMeterIsUsedWhenNoneIsNamed) {
    sim::Config config;
    config.generation = 2;
    test::SimulatedMeter meter(config, test::MeterPort::Free);
    const CliResult r = run({"capture"}, QString::fromStdString(meter.path()));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]["hardwareVersion"].toInt(), 0x12);
    EXPECT_EQ(r.lines[0]["mainsPeriodTicks"].toInt(), 27648);
    EXPECT_NEAR(r.lines[0]["F"].toDouble(), 50.0, 1e-9);  // second-generation clock
    EXPECT_TRUE(meter.sim.meterClock().has_value());         // selected as the window selects it
}

TEST_F(CaptureCommand, SecondGenerationMeterHasItsClockSetOnceBeforeTheFirstArming) {
    sim::Config config;
    config.generation = 2;
    test::SimulatedMeter meter(config, test::MeterPort::Free);
    const CliResult r = run({"capture", "--port", QString::fromStdString(meter.path()),
                             "--count", "2", "--periods", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 2u);

    const std::vector<std::string> frames = meter.sim.receivedFrames();
    const auto isClock = [](const std::string& f) { return f.rfind("<E", 0) == 0; };
    const auto isArming = [](const std::string& f) {
        return f.size() > 1 && std::string_view("CLTS").find(f[1]) != std::string_view::npos;
    };
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), isClock), 1);
    EXPECT_LT(std::find_if(frames.begin(), frames.end(), isClock),
              std::find_if(frames.begin(), frames.end(), isArming));

    // The meter now keeps the computer's local time.
    const std::optional<sim::MeterClock> clock = meter.sim.meterClock();
    ASSERT_TRUE(clock.has_value());
    std::tm set{};
    set.tm_year = clock->year - 1900;
    set.tm_mon = clock->month - 1;
    set.tm_mday = clock->day;
    set.tm_hour = clock->hour;
    set.tm_min = clock->minute;
    set.tm_sec = clock->second;
    set.tm_isdst = -1;
    EXPECT_LT(std::abs(std::difftime(std::time(nullptr), std::mktime(&set))), 120.0);
}

TEST_F(CaptureCommand, RawFileGivesTheSameNumbersToAnalyze) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    const QString raw = path("capture.raw");
    const CliResult r = run({"capture", "--port", QString::fromStdString(meter.path()), "--count",
                             "2", "--periods", "3", "--filter", "1", "--raw", raw});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 2u);
    const QJsonObject last = r.lines.back();
    EXPECT_EQ(QFileInfo(raw).size(), 5 * 1024);

    const QJsonObject calibration = last["calibration"].toObject();
    const CliResult a =
        run({"analyze", raw, "--gain-v", QString::number(calibration["gainV"].toDouble(), 'g', 17),
             "--gain-i", QString::number(calibration["gainI"].toDouble(), 'g', 17), "--ticks",
             QString::number(last["mainsPeriodTicks"].toInt()), "--filter", "1"});
    ASSERT_EQ(a.exitCode, 0) << a.err.toStdString();
    const QJsonObject analysed = QJsonDocument::fromJson(a.out).object();
    for (const char* key : {"Vrms", "Irms", "Prms", "PF", "THDV", "THDI", "F", "Vpeak"}) {
        EXPECT_EQ(analysed[key].toDouble(), last[key].toDouble()) << key;
    }
}

TEST_F(CaptureCommand, CommunicationErrorEndsWithItsMessage) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    sim::Faults faults;
    faults.refuseS = true;
    meter.sim.setFaults(faults);
    const CliResult r = run({"capture", "--port", QString::fromStdString(meter.path())});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_TRUE(r.err.contains("Communication error ! Voltaris resetted.")) << r.err.toStdString();
}

TEST_F(CaptureCommand, PortWithoutAMeterIsADeviceError) {
    const CliResult r = run({"capture", "--port", path("no-such-port")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_TRUE(r.err.contains("cannot open port " + path("no-such-port") + ": no such device"))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Demonstration mode"));
}

TEST_F(CaptureCommand, BadOptionsAreUsageErrors) {
    const QStringList cases[] = {
        {"--periods", "0"},
        {"--periods", "86"},
        {"--periods", "ten"},
        {"--pretrigger", "10"},  // periods 10: 0..9
        {"--periods", "3", "--pretrigger", "3"},
        {"--pretrigger", "-1"},
        {"--urms-low", "abc"},
        {"--ipeak", "nan"},
        {"--filter", "3"},
        {"--count", "-1"},
        {"--port", "/dev/null", "--demo"},
        {"--unknown"},
        {"extra"},
    };
    for (const QStringList& options : cases) {
        const CliResult r = run(QStringList{"capture", "--demo"} + options);
        EXPECT_EQ(r.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << options.join(' ').toStdString();
    }
}

// Files written by --raw play back through the whole capture path: one capture per file, in the
// order given, with the numbers analyze finds in each; the run ends after the last file.
TEST_F(CaptureCommand, ReplayRunsTheCapturePathOnRawFiles) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    const QString files[] = {path("three.raw"), path("five.raw")};
    const QString periods[] = {"3", "5"};
    QJsonObject captured;
    for (int k = 0; k < 2; ++k) {
        const CliResult r = run({"capture", "--port", QString::fromStdString(meter.path()),
                                 "--periods", periods[k], "--raw", files[k]});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        captured = r.lines.back();
    }
    const QJsonObject calibration = captured["calibration"].toObject();
    const QStringList scaling = {
        "--gain-v", QString::number(calibration["gainV"].toDouble(), 'g', 17),
        "--gain-i", QString::number(calibration["gainI"].toDouble(), 'g', 17),
        "--ticks",  QString::number(captured["mainsPeriodTicks"].toInt())};

    const CliResult replay =
        run(QStringList{"capture", "--replay", files[0], files[1], "--count", "5"} + scaling);
    ASSERT_EQ(replay.exitCode, 0) << replay.err.toStdString();
    ASSERT_EQ(replay.lines.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        const CliResult a = run(QStringList{"analyze", files[k]} + scaling);
        ASSERT_EQ(a.exitCode, 0) << a.err.toStdString();
        const QJsonObject analysed = QJsonDocument::fromJson(a.out).object();
        EXPECT_EQ(replay.lines[k]["blockCount"].toInt(), periods[k].toInt() + 2);
        for (const char* key : {"Vrms", "Irms", "Prms", "PF", "THDI", "F"}) {
            EXPECT_EQ(replay.lines[k][key].toDouble(), analysed[key].toDouble()) << key << k;
        }
    }
}

// A file that is not a capture stops the run before any capture, naming the file.
TEST_F(CaptureCommand, ReplayOfABadFileIsReportedBeforeAnyCapture) {
    QFile partial(path("partial.raw"));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write(QByteArray(5 * 1024 - 7, '\x01'));
    partial.close();
    for (const QString& file : {path("partial.raw"), path("missing.raw")}) {
        const CliResult r = run({"capture", "--replay", file});
        EXPECT_EQ(r.exitCode, 2) << file.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << file.toStdString();
        EXPECT_TRUE(r.err.contains(file)) << r.err.toStdString();
    }
}

// --charts renders every built page of the last capture to PNG files under the prefix.
TEST_F(CaptureCommand, ChartsAreWrittenForTheLastCapture) {
    const QString prefix = path("charts/run-");
    ASSERT_TRUE(QDir().mkpath(path("charts")));
    const CliResult r = run({"capture", "--demo", "--count", "2", "--charts", prefix});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList written = QDir(path("charts")).entryList({"run-*.png"}, QDir::Files);
    EXPECT_FALSE(written.isEmpty());
    for (const QString& name : written) {
        QImage image(path("charts/") + name);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_TRUE(r.err.contains(name)) << name.toStdString();
        // A drawn chart holds more than its background colour.
        EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2), image.pixel(1, 1))
            << name.toStdString();
    }
}

}  // namespace
}  // namespace voltaris
