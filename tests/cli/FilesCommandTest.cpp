// voltaris-cli as a process writing files: analyze and capture --csv, capture --report with the
// meter's own identity, and the report command over successive capture files, with their exit
// codes and the system's texts.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "acquisition/RawCaptureFile.h"
#include "support/ChildProcess.h"
#include "support/SimulatedMeter.h"
#include "support/SyntheticCapture.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;
using test::sine;
using test::operator+;

constexpr float kGainV = 0.0222550128f;
constexpr float kGainI = 0.001f;  // given to the commands as --gain-i 0.001

const char* const kImages[] = {
    "WaveVoltageCurrent.png", "WavePower.png",     "InrushVoltage.png",    "InrushCurrent.png",
    "InrushPower.png",        "InrushPfactor.png", "HarmonicsVoltage.png", "HarmonicsCurrent.png",
    "XYVoltageCurrent.png",   "EnergyPower.png",   "EnergyCumulated.png",
};

// A load drawing a strong third harmonic (2.8 A): beyond the class A limit of 2.3 A.
test::SyntheticCapture RectifierLoad(double voltagePeak, std::uint32_t blocks = 12) {
    return test::makeCapture(blocks, sine(voltagePeak), sine(6.0, -10) + sine(4.0, 0, 3), kGainV,
                             kGainI);
}

class FilesCommand : public ::testing::Test {
protected:
    std::string writeCapture(const test::SyntheticCapture& c, const std::string& name) {
        CaptureBuffer buffer;
        buffer.blockCount = static_cast<std::int32_t>(c.raw.blockCount);
        std::copy(c.voltage.begin(), c.voltage.end(), buffer.voltage.begin());
        std::copy(c.current.begin(), c.current.end(), buffer.current.begin());
        std::string error;
        EXPECT_TRUE(WriteRawCaptureFile(m_dir.file(name), buffer, error)) << error;
        return m_dir.file(name);
    }

    test::ProgramRun run(std::vector<std::string> args) const {
        test::Environment environment;
        environment.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                           {"XDG_DATA_HOME", m_dir.file("data")}};
        environment.unset = {"VOLTARIS_PORTS"};
        if (args.front() == "capture") {
            args.insert(args.end(),
                        {"--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys")});
        }
        return test::RunProgram(VOLTARIS_CLI_PROGRAM, args, environment);
    }

    // Line count of a file whose every line ends in CR LF.
    static std::size_t CrLfLines(const std::string& text) {
        std::size_t lines = 0;
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (text[k] == '\n') {
                EXPECT_TRUE(k > 0 && text[k - 1] == '\r') << "bare line feed at " << k;
                ++lines;
            }
        }
        return lines;
    }

    test::TempDir m_dir;
};

TEST_F(FilesCommand, AnalyzeAndCaptureWriteTheCsvExportReplacingAFile) {
    const std::string capture = writeCapture(RectifierLoad(325, 7), "five.bin");
    struct Case {
        std::vector<std::string> args;
        std::size_t samples;
    };
    const std::string out = m_dir.file("out.csv");
    const Case cases[] = {
        {{"analyze", capture, "--csv", out}, 5 * 256},
        {{"capture", "--demo", "--count", "2", "--periods", "3", "--csv", out}, 3 * 256},
        {{"capture", "--replay", capture, capture, "--csv", out}, 5 * 256},
    };
    for (const Case& c : cases) {
        std::ofstream(out) << std::string(200000, 'Z');  // an older, longer file
        const test::ProgramRun r = run(c.args);
        ASSERT_EQ(r.exitCode, 0) << c.args.front() << ": " << r.err;
        const std::string csv = test::ReadFile(out);
        EXPECT_TRUE(
            csv.starts_with("Voltaris - KORVEX - Exported raw data file\r\n\r\nCurrent : "));
        EXPECT_TRUE(csv.ends_with("End of dump\r\n"));
        EXPECT_EQ(CrLfLines(csv), c.samples + 6) << c.args.front();
        EXPECT_EQ(csv.find('Z'), std::string::npos);
    }
    for (const char* command : {"analyze", "capture"}) {
        const std::string missing = m_dir.file("no/such/out.csv");
        const test::ProgramRun r =
            std::string(command) == "analyze"
                ? run({"analyze", capture, "--csv", missing})
                : run({"capture", "--demo", "--periods", "1", "--csv", missing});
        EXPECT_EQ(r.exitCode, 2) << command;
        EXPECT_NE(r.err.find(missing + ": " + std::strerror(ENOENT)), std::string::npos) << r.err;
    }
}

TEST_F(FilesCommand, ReportAnalysesEveryFileAsSuccessiveCaptures) {
    std::vector<std::string> files;
    auto expected = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    for (const double peak : {310.0, 340.0, 325.0}) {
        const test::SyntheticCapture c = RectifierLoad(peak);
        files.push_back(writeCapture(c, "capture" + std::to_string(files.size()) + ".bin"));
        AnalysisOptions options;
        options.status = AcquisitionStatus::RunRequested;
        ASSERT_TRUE(DoCalculations(c.raw, options, *expected, statistics));
    }
    const std::string folder = m_dir.file("reports/motor/today");  // missing parents
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), {"--out",      folder,    "--title",      "Pump <P1> 100%",
                             "--limits",   "A",       "--serial",     "321",
                             "--last-cal", "1022026", "--hw-version", "7",
                             "--interval", "10",      "--points",     "40",
                             "--scale-u",  "5",       "--gain-i",     "0.001"});
    const test::ProgramRun r = run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;  // a failed verdict is in the report, not the exit code

    const QJsonObject printed = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(printed["report"].toString().toStdString(), folder + "/VoltarisReport.html");
    EXPECT_EQ(printed["logo"].toString().toStdString(), folder + "/KORVEX.gif");
    const QJsonArray images = printed["images"].toArray();
    ASSERT_EQ(images.size(), static_cast<qsizetype>(std::size(kImages)));
    for (std::size_t k = 0; k < std::size(kImages); ++k) {
        EXPECT_EQ(images[static_cast<qsizetype>(k)].toString().toStdString(),
                  folder + "/" + kImages[k]);
        EXPECT_TRUE(fs::is_regular_file(folder + "/" + kImages[k])) << kImages[k];
    }
    const std::string report = test::ReadFile(folder + "/VoltarisReport.html");
    const auto volts = [](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%3.2f V", v);
        return std::string(text);
    };
    const StatAccumulator& vrms = statistics.record(kStatVrms);
    for (const std::string& text :
         {std::string("<h1>Pump &lt;P1&gt; 100%</h1>"), std::string("<span>321</span>"),
          std::string("<span>01022026</span>"), std::string("<span>7</span>"),
          std::string("<span>10</span>"), std::string("IEC 61000-3-2 edition 2.2 Class A"),
          std::string("data-verdict=\"FAILED, harmonic 3"),
          "<td class=\"last\">" + volts(expected->Vrms) + "</td><td>" + volts(vrms.min) +
              "</td><td>" + volts(vrms.avg) + "</td><td>" + volts(vrms.max) + "</td><td>" +
              volts(vrms.sdev) + "</td>"}) {
        EXPECT_NE(report.find(text), std::string::npos) << text;
    }
}

TEST_F(FilesCommand, ReportFailuresExitTwoWithTheSystemsText) {
    const std::string capture = writeCapture(RectifierLoad(325), "one.bin");
    std::ofstream(m_dir.file("plain")) << "a file";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--out", m_dir.file("r1"), "--template", m_dir.file("none.html")},
         m_dir.file("none.html") + ": " + std::strerror(ENOENT)},
        {{"--out", m_dir.file("plain/sub")}, std::strerror(ENOTDIR)},
        {{"--out", m_dir.file("r2"), "--points", "20"}, "--points needs 13 or 40"},
        {{"--out", m_dir.file("r3"), "--scale-i", "10"}, "--scale-i needs an integer from 0 to 9"},
        {{"--out", m_dir.file("r4"), "--serial", "65536"}, "--serial needs an integer"},
        {{"--title", "x"}, "--out needs the report folder"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"report", capture};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::ProgramRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const test::ProgramRun bad = run({"report", m_dir.file("plain"), "--out", m_dir.file("r5")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_FALSE(fs::exists(m_dir.file("r5/VoltarisReport.html")));
}

TEST_F(FilesCommand, CaptureReportCarriesTheMetersOwnIdentity) {
    test::SimulatedMeter meter({}, test::MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    const std::string folder = m_dir.file("meter-report");
    const test::ProgramRun r = run({"capture", "--port", meter.path(), "--periods", "2", "--count",
                                    "2", "--report", folder, "--title", "Bench & <3>"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("report written: " + folder + "/VoltarisReport.html"), std::string::npos);
    const std::string report = test::ReadFile(folder + "/VoltarisReport.html");
    // The simulator's serial number, calibration date and hardware version (first generation).
    for (const char* text : {"<h1>Bench &amp; &lt;3&gt;</h1>", "<span>1234</span>",
                             "<span>15032024</span>", "<span>2</span>"}) {
        EXPECT_NE(report.find(text), std::string::npos) << text;
    }
    for (const char* image : kImages) {
        EXPECT_TRUE(fs::is_regular_file(folder + "/" + image)) << image;
    }
}

}  // namespace
}  // namespace voltaris
