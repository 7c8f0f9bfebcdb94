#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

#include "support/ChildProcess.h"
#include "support/SyntheticCapture.h"
#include "support/TempDir.h"

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
        const std::string home = m_dir.path().string();
        test::Environment environment;
        environment.set = {{"XDG_CONFIG_HOME", home}, {"HOME", home}};
        std::vector<std::string> all{"analyze"};
        for (const QString& arg : args) {
            all.push_back(arg.toStdString());
        }
        const test::ProgramRun p =
            test::RunProgram(VOLTARIS_CLI_PATH, all, environment, std::chrono::seconds(30));
        CliResult r;
        r.exitCode = p.exitCode;
        r.json = QJsonDocument::fromJson(QByteArray::fromStdString(p.out)).object();
        r.error = QString::fromLocal8Bit(p.err);
        return r;
    }

    test::TempDir m_dir;
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

    // Every key present, and doubles read back bit for bit.
    const std::pair<const char*, double> scalars[] = {
        {"Vrms", m->Vrms},   {"Irms", m->Irms},     {"Prms", m->Prms},     {"S", m->S},
        {"Q", m->Q},         {"PF", m->PF},         {"Vpeak", m->Vpeak},   {"Ipeak", m->Ipeak},
        {"Ppeak", m->Ppeak}, {"Vcrest", m->Vcrest}, {"Icrest", m->Icrest}, {"Pcrest", m->Pcrest},
        {"THDV", m->THDV},   {"THDI", m->THDI},     {"F", 50.0},           {"PeriodsAnalysed", 10},
    };
    for (const auto& [key, value] : scalars) {
        EXPECT_EQ(r.json[key].toDouble(-1), value) << key;
    }
    const std::pair<const char*, const double*> arrays[] = {
        {"HarmV", m->HarmV.data()},
        {"HarmI", m->HarmI.data()},
        {"PhaseV", m->PhaseV.data()},
        {"PhaseI", m->PhaseI.data()},
        {"HarmVPctRms", m->HarmVPctRms.data()},
        {"HarmIPctRms", m->HarmIPctRms.data()},
        {"HarmVPctH1", m->HarmVPctH1.data()},
        {"HarmIPctH1", m->HarmIPctH1.data()},
        {"PeriodVrms", m->PeriodVrms.data()},
        {"PeriodIrms", m->PeriodIrms.data()},
        {"PeriodP", m->PeriodP.data()},
        {"PeriodPF", m->PeriodPF.data()},
        {"PeriodVpeak", m->PeriodVpeak.data()},
        {"PeriodIpeak", m->PeriodIpeak.data()},
        {"PeriodPpeak", m->PeriodPpeak.data()},
    };
    for (const auto& [key, values] : arrays) {
        const QJsonArray a = r.json[key].toArray();
        EXPECT_EQ(a.size(), QString(key).startsWith("Period") ? 10 : 41) << key;
        for (qsizetype k = 0; k < a.size(); ++k) {
            ASSERT_EQ(a[k].toDouble(), values[k]) << key << "[" << k << "]";
        }
    }
    const QJsonObject limits = r.json["limits"].toObject();
    EXPECT_EQ(limits["class"].toString(), "none");
    EXPECT_EQ(limits["mode"].toInt(-1), 0);
    EXPECT_FALSE(limits["applies"].toBool(true));
    EXPECT_EQ(limits["table"].toArray().size(), 41);
    EXPECT_TRUE(limits["failing"].isArray());
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
