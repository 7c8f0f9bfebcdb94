// voltaris-cli's two outputs, run as a process: the readable summary with --format text or on a
// terminal, the JSON in a pipe or with --format json, and a bad --format refused by every
// command.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <memory>

#include "meter-sim/MeterSimulator.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
    [[nodiscard]] QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

// A pseudo-terminal standing for a person's terminal. The program writes to its slave side,
// which stays open here so that the terminal is not hung up when the program exits.
struct Terminal {
    int master = -1;
    int slave = -1;
    Terminal() { (void)::openpty(&master, &slave, nullptr, nullptr, nullptr); }
    ~Terminal() {
        ::close(slave);
        ::close(master);
    }
    [[nodiscard]] QString path() const { return QString::fromLocal8Bit(::ttyname(slave)); }

    // What the program wrote, read until `lines` line ends came (10 s at most), without the
    // carriage returns the terminal adds.
    [[nodiscard]] QString read(int lines) const {
        QByteArray bytes;
        pollfd ready{master, POLLIN, 0};
        char buffer[4096];
        ssize_t n = 0;
        while (bytes.count('\n') < lines && ::poll(&ready, 1, 10000) > 0 &&
               (n = ::read(master, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, n);
        }
        return QString::fromUtf8(bytes).remove('\r');
    }
};

// The text summary of one capture, each number captured.
const QRegularExpression kSummary(R"(^Vrms (\S+) V  Irms (\S+) A  P (\S+) W  S (\S+) VA  )"
                                  R"(PF (\S+)  F (\S+) Hz  THD V (\S+) %  THD I (\S+) %  )"
                                  R"((no limits|class [A-D]): (.+)$)");
const std::pair<const char*, int> kSummaryFields[] = {
    {"Vrms", 2}, {"Irms", 3}, {"Prms", 2}, {"S", 2}, {"PF", 3}, {"F", 2}, {"THDV", 2}, {"THDI", 2}};

// Every number of the line is the JSON's, rounded to the decimals shown, and the verdict is its.
void expectSummaryOf(const QString& line, const QJsonObject& json, const QString& limits) {
    const QRegularExpressionMatch match = kSummary.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    int group = 1;
    for (const auto& [key, decimals] : kSummaryFields) {
        EXPECT_NEAR(match.captured(group++).toDouble(), json[key].toDouble(),
                    0.5 * std::pow(10.0, -decimals) + 1e-9)
            << key << " in " << line.toStdString();
    }
    EXPECT_EQ(match.captured(9), limits);
    EXPECT_EQ(match.captured(10), json["limits"].toObject()["verdict"].toString());
}

QJsonObject jsonObject(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

std::unique_ptr<sim::MeterSimulator> startMeter(int generation) {
    sim::Config config;
    config.generation = generation;
    auto meter = std::make_unique<sim::MeterSimulator>(config);
    EXPECT_TRUE(meter->start());
    return meter;
}

class OutputFormat : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    // Runs voltaris-cli with private settings and an empty port tree; its standard output is a
    // pipe, or the terminal given.
    CliResult run(QStringList args, const Terminal* terminal = nullptr) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        environment.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        environment.remove("VOLTARIS_PORTS");
        process.setProcessEnvironment(environment);
        if (terminal != nullptr) {
            process.setStandardOutputFile(terminal->path());
        }
        if (args.first() == "capture" || args.first() == "detect") {
            // Right after the command, so that an option left without a value stays last.
            args = QStringList{args.first(), "--dev-root", m_dir.filePath("dev"), "--sys-root",
                               m_dir.filePath("sys")} +
                   args.mid(1);
        }
        process.start(VOLTARIS_CLI_PROGRAM, args);
        CliResult result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished(5000);
            ADD_FAILURE() << "voltaris-cli did not finish: " << args.join(' ').toStdString();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    test::TempDir m_dir;
};

TEST_F(OutputFormat, CaptureLinesGiveTheJsonNumbersWithTheirUnits) {
    const QStringList args = {"capture", "--demo", "--count", "3", "--periods", "2"};
    const CliResult json = run(args + QStringList{"--format", "json"});
    const CliResult text = run(args + QStringList{"--format", "text"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(run(args).out, json.out);  // a pipe gets the JSON

    const QStringList jsonLines = json.lines();
    const QStringList textLines = text.lines();
    ASSERT_EQ(jsonLines.size(), 3);
    ASSERT_EQ(textLines.size(), 3) << text.out.toStdString();
    for (int k = 0; k < 3; ++k) {
        const QString number = QString("%1: ").arg(k + 1);
        ASSERT_TRUE(textLines[k].startsWith(number)) << textLines[k].toStdString();
        expectSummaryOf(textLines[k].mid(number.size()), jsonObject(jsonLines[k]), "no limits");
    }
}

TEST_F(OutputFormat, AnalyzeLineEndsWithTheVerdictOfItsClass) {
    const QString raw = m_dir.filePath("capture.raw");
    ASSERT_EQ(run({"capture", "--demo", "--raw", raw}).exitCode, 0);
    for (const QString& limitClass : {QString("none"), QString("A")}) {
        const QStringList args = {"analyze", raw, "--limits", limitClass};
        const CliResult json = run(args + QStringList{"--format", "json"});
        const CliResult text = run(args + QStringList{"--format", "text"});
        EXPECT_EQ(run(args).out, json.out);
        EXPECT_EQ(text.exitCode, json.exitCode);
        ASSERT_EQ(text.lines().size(), 1) << text.out.toStdString();
        expectSummaryOf(text.lines().first(), jsonObject(json.out),
                        limitClass == "none" ? "no limits" : "class " + limitClass);
    }
}

TEST_F(OutputFormat, DetectShowsTheMetersInAlignedColumns) {
    auto second = startMeter(2);
    auto first = startMeter(1);
    const QString secondPath = QString::fromStdString(second->portPath());
    const QString firstPath = QString::fromStdString(first->portPath());
    const CliResult r =
        run({"detect", "--port", secondPath, "--port", firstPath, "--format", "text"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.lines();
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_EQ(lines[0], "2 meters found");
    EXPECT_EQ(lines[1].split(' ', Qt::SkipEmptyParts),
              (QStringList{"Entry", "Port", "Generation", "Hardware"}));
    EXPECT_EQ(lines[2].split(' ', Qt::SkipEmptyParts),
              (QStringList{"V2", secondPath, secondPath, "2", "12"}));
    EXPECT_EQ(lines[3].split(' ', Qt::SkipEmptyParts),
              (QStringList{"V1", firstPath, firstPath, "1", "02"}));
    EXPECT_EQ(lines[1].indexOf("Hardware"), lines[2].lastIndexOf("12"));
    EXPECT_EQ(lines[1].indexOf("Hardware"), lines[3].lastIndexOf("02"));

    const CliResult none = run({"detect", "--port", m_dir.filePath("no-port"), "--format", "text"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, "No meter found\n");
}

TEST_F(OutputFormat, ATerminalGetsTheSummaryUnlessJsonIsAsked) {
    auto meter = startMeter(2);
    const QString port = QString::fromStdString(meter->portPath());
    const Terminal terminal;
    ASSERT_GE(terminal.slave, 0);

    EXPECT_EQ(run({"status", "--port", port}, &terminal).exitCode, 0);
    EXPECT_EQ(terminal.read(1), "Voltaris V2 on " + port +
                                    ": state I (no capture ready), hardware version 12, status "
                                    "<00000000I000000120000>\n");
    EXPECT_EQ(run({"status", "--port", port, "--format", "json"}, &terminal).exitCode, 0);
    EXPECT_EQ(jsonObject(terminal.read(1))["hardwareVersion"].toInt(), 0x12);

    EXPECT_EQ(run({"capture", "--demo"}, &terminal).exitCode, 0);
    EXPECT_TRUE(terminal.read(1).startsWith("1: Vrms "));
}

TEST_F(OutputFormat, AnUnknownFormatIsAUsageErrorOfEveryCommand) {
    const QStringList commands[] = {
        {"capture", "--demo"},
        {"analyze", m_dir.filePath("capture.raw")},
        {"detect"},
        {"status", "--port", m_dir.filePath("no-port")},
    };
    for (const QStringList& command : commands) {
        for (const QString& value : {QString("xml"), QString("JSON")}) {
            const CliResult r = run(command + QStringList{"--format", value});
            EXPECT_EQ(r.exitCode, 2) << command.first().toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << command.first().toStdString();
            EXPECT_TRUE(r.err.contains("--format needs text or json, not '" + value + "'"))
                << r.err.toStdString();
        }
        const CliResult missing = run(command + QStringList{"--format"});
        EXPECT_EQ(missing.exitCode, 2) << command.first().toStdString();
        EXPECT_TRUE(missing.err.contains("format")) << missing.err.toStdString();
    }
}

}  // namespace
}  // namespace voltaris
