// voltaris-cli analyze: runs the capture analysis on a raw capture file (the bytes of the
// meter's B reply) and prints the measurements and the harmonic limit verdict as JSON, or as
// one line of the main quantities for a person.
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "acquisition/RawCaptureFile.h"
#include "analysis/HarmonicLimits.h"
#include "analysis/HarmonicsCoupling.h"
#include "analysis/Measurements.h"
#include "cli/ArgumentValues.h"
#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/FileScalingOptions.h"
#include "cli/MeasurementJson.h"
#include "cli/OutputFormat.h"
#include "cli/OutputPaths.h"
#include "cli/ReportOutput.h"
#include "cli/TextSummary.h"
#include "device/CalibrationParams.h"

namespace voltaris::cli {

namespace {

struct AnalyzeSettings {
    bool help = false;  // --help was asked and printed
    QString file;
    FileScaling scaling;
    CaptureFilter filter = CaptureFilter::LowPass2k;
    int limitClass = kNoLimits;
    int mode = kModeAbsolute;
    OutputFormat format = OutputFormat::Json;
    QString csvFile;  // --csv: the export of the analysed capture
};

QString usageLine() {
    return QString("voltaris-cli analyze FILE %1 [--filter 0|1|2] [--limits none|A|B|C|D] "
                   "[--mode 0..4] [--format text|json] [--csv OUT]")
        .arg(FileScalingOptions::kUsage);
}

int usageError(const QString& message) {
    std::fprintf(stderr, "voltaris-cli analyze: %s\n", qPrintable(message));
    std::fprintf(stderr, "usage: %s\n", qPrintable(usageLine()));
    return 2;
}

// Fills settings from the arguments; returns an error message, empty when all are valid.
QString parseArguments(const QStringList& args, AnalyzeSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument("FILE", "raw capture: blocks of 1024 bytes");
    const FileScalingOptions scaling;
    const QCommandLineOption filter("filter", "0 none, 1 low pass 1 kHz, 2 low pass 2 kHz", "F");
    const QCommandLineOption limits("limits", "none, A, B, C or D", "CLASS");
    const QCommandLineOption mode("mode", "harmonics display mode 0..4", "M");
    const QCommandLineOption format = formatOption();
    const QCommandLineOption csv("csv", "write the CSV export of the capture to OUT", "OUT");
    parser.addOptions({filter, limits, mode, format, csv});
    scaling.addTo(parser);
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(args)) {
        return parser.errorText();
    }
    if (parser.isSet(help)) {
        PrintCommandHelp(parser, usageLine());
        s.help = true;
        return {};
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        return files.isEmpty() ? "no capture file given" : "only one capture file is analysed";
    }
    s.file = files.first();
    s.csvFile = parser.value(csv);
    if (parser.isSet(csv) && s.csvFile.isEmpty()) {
        return "--csv needs a file name";
    }

    if (QString error = scaling.read(parser, s.scaling); !error.isEmpty()) {
        return error;
    }
    if (parser.isSet(filter)) {
        const auto v = integerIn(parser.value(filter), 0, 2);
        if (!v) {
            return "--filter needs 0, 1 or 2";
        }
        s.filter = *captureFilterFromIndex(static_cast<int>(*v));
    }
    if (parser.isSet(limits)) {
        const QString name = parser.value(limits);
        const std::optional<int> limitClass = LimitClassFromName(name.toStdString());
        if (!limitClass) {
            return QString("--limits needs none, A, B, C or D, not '%1'").arg(name);
        }
        s.limitClass = *limitClass;
    }
    if (parser.isSet(mode)) {
        const auto v = integerIn(parser.value(mode), 0, kDisplayModeCount - 1);
        if (!v) {
            return "--mode needs an integer from 0 to 4";
        }
        s.mode = static_cast<int>(*v);
    }
    return readOutputFormat(parser, s.format);
}

}  // namespace

int runAnalyze(const QStringList& args) {
    AnalyzeSettings s;
    if (const QString error = parseArguments(args, s); !error.isEmpty()) {
        return usageError(error);
    }
    if (s.help) {
        return 0;
    }
    if (!s.csvFile.isEmpty()) {
        if (const std::string error = CheckOutputFile(s.csvFile.toStdString()); !error.empty()) {
            std::fprintf(stderr, "voltaris-cli analyze: %s\n", error.c_str());
            return 2;
        }
    }
    std::string error;
    const std::optional<RawCaptureFile> file = ReadRawCaptureFile(s.file.toStdString(), error);
    if (!file) {
        return usageError(QString::fromStdString(error));
    }

    const FileScaling& k = s.scaling;
    const RawCapture raw{file->voltage, file->current, file->blockCount, k.gainV,
                         k.gainI,       k.ticks,       k.generation};
    AnalysisOptions options;
    options.filter = s.filter;
    options.status = AcquisitionStatus::SingleRunning;  // one capture: no energy point
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;
    if (!DoCalculations(raw, options, *m, stats)) {
        return usageError("the capture could not be analysed");
    }
    if (!s.csvFile.isEmpty() &&
        !WriteCsvFile("voltaris-cli analyze", s.csvFile.toStdString(), *m)) {
        return 2;
    }

    const HarmonicArray* shown = harmonicDisplayValues(*m, s.mode);
    const LimitCheck check = checkHarmonicLimits(s.limitClass, s.mode, *shown, m->Prms, m->PF);
    const int status = check.text.rfind("FAILED", 0) == 0 ? 1 : 0;
    if (s.format == OutputFormat::Text) {
        printText(captureSummary(*m, check, s.limitClass));
        return status;
    }
    QJsonObject root = measurementJson(*m);
    root.insert(QLatin1String("limits"),
                limitCheckJson(check, QLatin1String(LimitClassName(s.limitClass)), s.mode));
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
    return status;
}

}  // namespace voltaris::cli
