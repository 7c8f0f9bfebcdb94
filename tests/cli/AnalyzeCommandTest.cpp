#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

#include "analysis/SyntheticCapture.h"

namespace voltaris {
namespace {

using test::sine;
using test::operator+;

constexpr float kDefaultGainV = 0.0222550128f;
constexpr float kDefaultGainI = 9.5138399e-05f;

struct CliResult {
    int exitCode = -1;
    QJsonObject json;
    QString error;
};

class AnalyzeCommand : public ::testing::Test {
protected:
    // Writes the capture as the meter sends it: V high, V low, I high, I low per sample pair.
    QString writeCapture(const test::SyntheticCapture& c, const QString& name = "capture.bin") {
        QByteArray bytes;
        for (std::size_t i = 0; i < c.voltage.size(); ++i) {
            for (std::int16_t v : {c.voltage[i], c.current[i]}) {
                bytes.append(static_cast<char>(static_cast<std::uint16_t>(v) >> 8));
                bytes.append(static_cast<char>(v & 0xff));
            }
        }
        return writeFile(name, bytes);
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    CliResult run(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.path());
        env.insert("HOME", m_dir.path());
        p.setProcessEnvironment(env);
        p.start(VOLTARIS_CLI_PATH, QStringList{"analyze"} + args);
        CliResult r;
        if (!p.waitForFinished(30000)) {
            ADD_FAILURE() << "voltaris-cli did not finish";
            p.kill();
            p.waitForFinished(5000);
            return r;
        }
        r.exitCode = p.exitCode();
        r.json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        r.error = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    QTemporaryDir m_dir;
};

TEST_F(AnalyzeCommand, PrintsEveryMeasurementExactlyAsComputed) {
    const auto c = test::makeCapture(12, sine(325) + sine(15, 0, 3), sine(2.0, -30), kDefaultGainV,
                                     kDefaultGainI);
    const CliResult r =
        run({writeCapture(c), "--filter", "1", "--generation", "2", "--ticks", "27648"});
    ASSERT_EQ(r.exitCode, 0) << r.error.toStdString();

    RawCapture raw = c.raw;
    raw.deviceGeneration = 2;
    raw.mainsPeriodTicks = 27648;
    AnalysisOptions options;
    options.filter = CaptureFilter::LowPass1k;
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;
    ASSERT_TRUE(DoCalculations(raw, options, *m, stats));

    // Doubles must read back bit for bit.
    EXPECT_EQ(r.json["Vrms"].toDouble(), m->Vrms);
    EXPECT_EQ(r.json["PF"].toDouble(), m->PF);
    EXPECT_EQ(r.json["THDV"].toDouble(), m->THDV);
    EXPECT_EQ(r.json["F"].toDouble(), 50.0);
    EXPECT_EQ(r.json["PeriodsAnalysed"].toInt(), 10);
    for (const char* key : {"Irms", "Prms", "S", "Q", "Vpeak", "Ipeak", "Ppeak", "Vcrest", "Icrest",
                            "Pcrest", "THDI"}) {
        EXPECT_TRUE(r.json[key].isDouble()) << key;
    }
    for (const char* key : {"HarmV", "HarmI", "PhaseV", "PhaseI", "HarmVPctRms", "HarmIPctRms",
                            "HarmVPctH1", "HarmIPctH1"}) {
        EXPECT_EQ(r.json[key].toArray().size(), 41) << key;
    }
    EXPECT_EQ(r.json["HarmV"].toArray()[3].toDouble(), m->HarmV[3]);
    EXPECT_EQ(r.json["PhaseI"].toArray()[1].toDouble(), m->PhaseI[1]);
    for (const char* key : {"PeriodVrms", "PeriodIrms", "PeriodP", "PeriodPF", "PeriodVpeak",
                            "PeriodIpeak", "PeriodPpeak"}) {
        EXPECT_EQ(r.json[key].toArray().size(), 10) << key;
    }
    EXPECT_EQ(r.json["PeriodP"].toArray()[9].toDouble(), m->PeriodP[9]);

    const QJsonObject limits = r.json["limits"].toObject();
    EXPECT_EQ(limits["class"].toString(), "none");
    EXPECT_EQ(limits["mode"].toInt(), 0);
    EXPECT_FALSE(limits["applies"].toBool());
    EXPECT_EQ(limits["table"].toArray().size(), 41);
    EXPECT_TRUE(limits["failing"].toArray().isEmpty());
    EXPECT_EQ(limits["verdict"].toString(), "n/a");
}

TEST_F(AnalyzeCommand, LimitVerdictSetsTheExitStatus) {
    // 1.27 A RMS of 5th harmonic exceeds class A's 1.14 A.
    const QString file = writeCapture(
        test::makeCapture(5, sine(325), sine(1.0) + sine(1.8, 0, 5), kDefaultGainV, kDefaultGainI));
    CliResult r = run({file, "--limits", "A"});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject limits = r.json["limits"].toObject();
    EXPECT_TRUE(limits["applies"].toBool());
    EXPECT_TRUE(limits["verdict"].toString().startsWith("FAILED, harmonic 5, actual 1.27"));
    EXPECT_EQ(limits["failing"].toArray(), QJsonArray{5});
    EXPECT_DOUBLE_EQ(limits["table"].toArray()[5].toDouble(), 1.14);

    r = run({file, "--limits", "b"});  // class B allows 1.71 A
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.json["limits"].toObject()["verdict"].toString(), "OK");

    r = run({file, "--limits", "C", "--mode", "0"});  // class C is in percent: not in "Absolute"
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.json["limits"].toObject()["verdict"].toString(), "n/a");

    // Twice the default current gain doubles the amperes: the 5th now fails class B too.
    const double defaultH1 = r.json["HarmI"].toArray()[1].toDouble();
    r = run({file, "--limits", "B", "--gain-i", QString::number(2 * kDefaultGainI, 'g', 9)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NEAR(r.json["HarmI"].toArray()[1].toDouble() / defaultH1, 2.0, 1e-6);
}

TEST_F(AnalyzeCommand, BadFilesAndOptionsAreUsageErrors) {
    const QString good =
        writeCapture(test::makeCapture(3, sine(325), sine(1), kDefaultGainV, kDefaultGainI));
    const QString ragged = writeFile("ragged.bin", QByteArray(3 * 1024 + 4, '\0'));
    const QString twoBlocks = writeFile("two.bin", QByteArray(2 * 1024, '\0'));
    const QString tooMany = writeFile("many.bin", QByteArray(93 * 1024, '\0'));
    const QString empty = writeFile("empty.bin", QByteArray());
    const std::pair<QStringList, const char*> cases[] = {
        {{m_dir.filePath("missing.bin")}, "cannot open"},
        {{ragged}, "not a whole number of 1024-byte blocks"},
        {{twoBlocks}, "2 blocks"},
        {{tooMany}, "93 blocks"},
        {{empty}, "0 blocks"},
        {{}, "no capture file"},
        {{good, good}, "only one"},
        {{good, "--filter", "3"}, "--filter"},
        {{good, "--generation", "3"}, "--generation"},
        {{good, "--limits", "E"}, "--limits"},
        {{good, "--mode", "5"}, "--mode"},
        {{good, "--ticks", "70000"}, "--ticks"},
        {{good, "--gain-v", "abc"}, "--gain-v"},
        {{good, "--gain-i", "inf"}, "--gain-i"},
        {{good, "--bogus"}, "bogus"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.json.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.error.contains(message)) << r.error.toStdString();
    }
    EXPECT_EQ(run({good}).exitCode, 0);
}

}  // namespace
}  // namespace voltaris
