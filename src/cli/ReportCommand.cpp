// voltaris-cli report: plays raw capture files through the replay capture source as successive
// continuous captures (statistics and energy reset first, one statistics entry and one energy
// point per capture, spaced by --interval seconds), then writes the report of the last capture
// into a folder exactly as the window's "Report" button would, and prints where it went.
#include <QCommandLineParser>
#include <QJsonDocument>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/AcquisitionWorker.h"
#include "acquisition/ReplayCaptureSource.h"
#include "analysis/EnergySeries.h"
#include "analysis/HarmonicLimits.h"
#include "analysis/HarmonicsCoupling.h"
#include "analysis/Measurements.h"
#include "cli/ArgumentValues.h"
#include "cli/CaptureObserver.h"
#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/OutputPaths.h"
#include "cli/FileScalingOptions.h"
#include "cli/ReportOutput.h"
#include "infra/Log.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli report";

struct ReportSettings {
    bool help = false;  // --help was asked and printed
    std::vector<std::string> files;
    std::string folder;
    std::string templatePath;
    FileScaling scaling;
    PageSelections selections;
    double intervalSeconds = 1;
    std::uint16_t serialNumber = kDefaultSerialNumber;
    std::uint32_t lastCalibrationDate = kUnknownCalibrationDate;
    std::uint16_t hardwareVersion = 0;
};

QString usageLine() {
    return QString("voltaris-cli report FILE... --out DIR [--title TEXT] [--template PATH] "
                   "[--limits none|A|B|C|D] [--mode 0..4] [--points 13|40] [--scale-u 0..5] "
                   "[--scale-i 0..9] [--scale-p 0..12] [--interval SECONDS] [--serial N] "
                   "[--last-cal DDMMYYYY] [--hw-version N] [--filter 0|1|2] %1")
        .arg(FileScalingOptions::kUsage);
}

int usageError(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(message));
    std::fprintf(stderr, "usage: %s\n", qPrintable(usageLine()));
    return 2;
}

// An integer option in [low, high] into `target`; an error message when it is not one.
template <typename T>
QString readInteger(const QCommandLineParser& parser, const QCommandLineOption& option, long low,
                    long high, T& target) {
    if (!parser.isSet(option)) {
        return {};
    }
    const auto value = integerIn(parser.value(option), low, high);
    if (!value) {
        return QString("--%1 needs an integer from %2 to %3, not '%4'")
            .arg(option.names().first())
            .arg(low)
            .arg(high)
            .arg(parser.value(option));
    }
    target = static_cast<T>(*value);
    return {};
}

QString parseArguments(const QStringList& args, ReportSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument("FILE", "raw capture files, played in order");
    const QCommandLineOption out("out", "report folder, created when missing", "DIR");
    const QCommandLineOption title("title", "report title", "TEXT", "n/a");
    const QCommandLineOption templ("template", "template instead of the program's", "PATH");
    const QCommandLineOption limits("limits", "none, A, B, C or D", "CLASS");
    const QCommandLineOption mode("mode", "harmonics display mode 0..4", "M");
    const QCommandLineOption points("points", "harmonic orders shown, 13 or 40", "N");
    const QCommandLineOption scaleU("scale-u", "voltage scale 0..5 (0: automatic)", "K");
    const QCommandLineOption scaleI("scale-i", "current scale 0..9", "K");
    const QCommandLineOption scaleP("scale-p", "power scale 0..12", "K");
    const QCommandLineOption interval("interval", "seconds between the captures", "SECONDS");
    const QCommandLineOption serial("serial", "meter serial number", "N");
    const QCommandLineOption lastCal("last-cal", "last calibration date", "DDMMYYYY");
    const QCommandLineOption hwVersion("hw-version", "meter hardware version", "N");
    const QCommandLineOption filter("filter", "0 none, 1 low pass 1 kHz, 2 low pass 2 kHz", "F");
    const FileScalingOptions scaling;
    parser.addOptions({out, title, templ, limits, mode, points, scaleU, scaleI, scaleP, interval,
                       serial, lastCal, hwVersion, filter});
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
    for (const QString& file : parser.positionalArguments()) {
        s.files.push_back(file.toStdString());
    }
    if (s.files.empty()) {
        return "no capture file given";
    }
    s.folder = parser.value(out).toStdString();
    if (s.folder.empty()) {
        return "--out needs the report folder";
    }
    s.selections.title = parser.value(title).toStdString();
    if (parser.isSet(templ)) {
        s.templatePath = parser.value(templ).toStdString();
        if (s.templatePath.empty()) {
            return "--template needs a file name";
        }
    }
    if (QString error = scaling.read(parser, s.scaling); !error.isEmpty()) {
        return error;
    }
    if (parser.isSet(limits)) {
        const std::optional<int> limitClass =
            LimitClassFromName(parser.value(limits).toStdString());
        if (!limitClass) {
            return QString("--limits needs none, A, B, C or D, not '%1'").arg(parser.value(limits));
        }
        s.selections.harmonics.limitClass = *limitClass;
    }
    if (parser.isSet(points)) {
        const QString n = parser.value(points);
        if (n != "13" && n != "40") {
            return QString("--points needs 13 or 40, not '%1'").arg(n);
        }
        s.selections.harmonicsCount = n == "40" ? 1 : 0;
    }
    ScaleSelection& scales = s.selections.scales;
    const auto last = [](auto table) { return static_cast<long>(table.size()) - 1; };
    for (QString error :
         {readInteger(parser, mode, 0, kDisplayModeCount - 1, s.selections.harmonics.displayMode),
          readInteger(parser, scaleU, 0, last(VoltageScales()), scales.u),
          readInteger(parser, scaleI, 0, last(CurrentScales()), scales.i),
          readInteger(parser, scaleP, 0, last(PowerScales()), scales.p),
          readInteger(parser, filter, 0, 2, s.selections.filter),
          readInteger(parser, serial, 0, 65535, s.serialNumber),
          readInteger(parser, lastCal, 0, 99999999, s.lastCalibrationDate),
          readInteger(parser, hwVersion, 0, 65535, s.hardwareVersion)}) {
        if (!error.isEmpty()) {
            return error;
        }
    }
    if (parser.isSet(interval)) {
        const std::optional<double> seconds = finiteNumber(parser.value(interval));
        if (!seconds || *seconds < 0 || *seconds > 1e9) {
            return QString("--interval needs a number of seconds, not '%1'")
                .arg(parser.value(interval));
        }
        s.intervalSeconds = *seconds;
    }
    return {};
}

// Statistics and energy of every capture, and the last capture's measurement and origin.
struct ReplayedCaptures {
    std::unique_ptr<MeasurementSet> measurement = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    CalibrationParams calibration;
    std::uint16_t hardwareVersion = 0;
    std::size_t analysed = 0;
};

// Runs the files through the worker as continuous captures; false after a message.
bool replay(const ReportSettings& s, ReplayedCaptures& out) {
    std::string error;
    std::unique_ptr<ReplayCaptureSource> source = ReplayCaptureSource::open(
        s.files, error,
        {.mainsPeriodTicks = s.scaling.ticks, .hardwareVersion = s.hardwareVersion});
    if (!source) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, error.c_str());
        return false;
    }
    auto shared = std::make_shared<AcquisitionShared>();
    CalibrationParams calibration;
    calibration.gainV = s.scaling.gainV;
    calibration.gainI = s.scaling.gainI;
    calibration.serialNumber = s.serialNumber;
    calibration.lastCalibrationDate = s.lastCalibrationDate;
    shared->setCalibration(calibration);
    shared->setState(AcqStatus::Idle);
    CaptureObserver observer(*shared);
    AcquisitionWorker worker(shared, observer, std::move(source));
    if (!worker.start()) {
        std::fprintf(stderr, "%s: the acquisition worker could not be started\n", kCommandName);
        return false;
    }
    observer.waitForIdle();

    MeasurementSet& m = *out.measurement;
    const SteadyTime reset = std::chrono::steady_clock::now();
    energyReset(m, reset);
    out.statistics.StatisticsReset();
    const auto spacing = std::chrono::duration_cast<SteadyTime::duration>(
        std::chrono::duration<double>(s.intervalSeconds));
    const CaptureFilter filter =
        captureFilterFromIndex(s.selections.filter).value_or(CaptureFilter::LowPass2k);
    shared->setState(AcqStatus::RunRequested);
    bool ok = true;
    while (out.analysed < s.files.size()) {
        std::unique_ptr<HandedCapture> capture = observer.nextCapture();
        if (!capture) {
            std::fprintf(stderr, "%s: %s was not read\n", kCommandName,
                         s.files[out.analysed].c_str());
            ok = false;
            break;
        }
        const AnalysisOptions options{.filter = filter,
                                      .status = AcquisitionStatus::RunRequested,
                                      .now = reset + spacing * static_cast<long>(out.analysed + 1)};
        if (!scaleCapture(capture->raw(s.scaling.generation), m) ||
            !analyseCapture(m, out.statistics, options)) {
            std::fprintf(stderr, "%s: %s could not be analysed\n", kCommandName,
                         s.files[out.analysed].c_str());
            ok = false;
            break;
        }
        out.calibration = capture->calibration;
        out.hardwareVersion = capture->buffer.hardwareVersion;
        ++out.analysed;
        observer.recycle(std::move(capture));
    }
    shared->setState(AcqStatus::Idle);
    (void)worker.stop();
    return ok;
}

}  // namespace

int runReport(const QStringList& args) {
    ReportSettings s;
    if (const QString error = parseArguments(args, s); !error.isEmpty()) {
        return usageError(error);
    }
    if (s.help) {
        return 0;
    }
    if (const std::string error = CheckOutputFolder(s.folder); !error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, error.c_str());
        return 2;
    }
    LogInit("VoltarisRT");
    std::error_code error;
    const std::string applicationFolder = std::filesystem::current_path(error).string();
    ReplayedCaptures captures;
    if (!replay(s, captures)) {
        return 2;
    }
    const PageData data{*captures.measurement, captures.statistics, captures.calibration,
                        s.selections};
    const std::optional<QJsonObject> report =
        WriteCliReport(kCommandName,
                       {.folder = s.folder,
                        .templatePath = s.templatePath,
                        .applicationFolder = applicationFolder,
                        .hardwareVersion = captures.hardwareVersion},
                       data);
    if (!report) {
        return 2;
    }
    const QByteArray json = QJsonDocument(*report).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
    return 0;
}

}  // namespace voltaris::cli
