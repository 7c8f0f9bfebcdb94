// voltaris-cli compliance: an IEC 61000-3-2 pre-compliance run. Captures continuously (from the
// meter, the demonstration generator or raw capture files in order), cuts every capture into
// 10- or 12-period windows, smooths their harmonic subgroups over 1.5 s and evaluates them
// against the class's limits until the observation time is reached; then prints the verdict as
// one JSON object, and writes the table as CSV and into the report when asked. SIGINT and
// SIGTERM end the run early with the verdict of what was observed.
#include <QCommandLineParser>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "analysis/ComplianceEvaluation.h"
#include "analysis/EnergySeries.h"
#include "analysis/SubgroupSmoother.h"
#include "analysis/WindowedHarmonics.h"
#include "cli/ArgumentValues.h"
#include "cli/CaptureObserver.h"
#include "cli/CaptureOrigin.h"
#include "cli/CaptureSession.h"
#include "cli/CaptureOutput.h"
#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/ComplianceOutput.h"
#include "cli/OutputPaths.h"
#include "cli/ReportOutput.h"
#include "cli/StopSignals.h"
#include "files/ComplianceSection.h"
#include "infra/Log.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli compliance";
constexpr int kExitFail = 1;
constexpr int kExitError = 2;
// A week of observation: far beyond any test, small enough to keep the sums exact.
constexpr double kMaxDuration = 7 * 24 * 3600.0;

struct ComplianceSettings {
    bool help = false;
    OriginRequest origin;
    LimitClass limitClass = LimitClass::None;
    double duration = 0;
    int periods = kMaxPeriodCount;  // the most windows per capture
    QString reportFolder;
    QString csvFile;
};

QString usageLine() {
    return "voltaris-cli compliance (--port PATH | --demo | FILE...) --class A|B|C|D "
           "--duration SECONDS [--periods N] [--report DIR] [--csv FILE]";
}

int usageError(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(message));
    std::fprintf(stderr, "usage: %s\n", qPrintable(usageLine()));
    return kExitError;
}

std::optional<LimitClass> limitClassOf(const QString& text) {
    const QString upper = text.toUpper();
    if (upper == "A") return LimitClass::A;
    if (upper == "B") return LimitClass::B;
    if (upper == "C") return LimitClass::C;
    if (upper == "D") return LimitClass::D;
    return std::nullopt;
}

QString parseArguments(const QStringList& args, ComplianceSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument("FILE", "raw capture files, evaluated in order");
    const QCommandLineOption port("port", "serial device of the meter", "PATH");
    const QCommandLineOption demo("demo", "the demonstration generator instead of a meter");
    const QCommandLineOption limitClass("class", "IEC 61000-3-2 class: A, B, C or D", "CLASS");
    const QCommandLineOption duration("duration", "observation time in seconds", "SECONDS");
    const QCommandLineOption periods("periods", "mains periods per capture, 10 to 85", "N");
    const QCommandLineOption report("report", "report of the last capture with the verdict",
                                    "DIR");
    const QCommandLineOption csv("csv", "the verdict table as CSV", "FILE");
    parser.addOptions({port, demo, limitClass, duration, periods, report, csv});
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(args)) {
        return parser.errorText();
    }
    if (parser.isSet(help)) {
        PrintCommandHelp(parser, usageLine());
        s.help = true;
        return {};
    }
    s.origin.port = parser.value(port);
    s.origin.demo = parser.isSet(demo);
    s.origin.replayFiles = parser.positionalArguments();
    const int sources = (parser.isSet(port) ? 1 : 0) + (s.origin.demo ? 1 : 0) +
                        (s.origin.replayFiles.isEmpty() ? 0 : 1);
    if (sources != 1) {
        return "give exactly one of --port PATH, --demo or capture files";
    }
    if (parser.isSet(port) && s.origin.port.isEmpty()) {
        return "--port needs a device path";
    }
    const std::optional<LimitClass> chosen = limitClassOf(parser.value(limitClass));
    if (!chosen) {
        return "--class needs A, B, C or D";
    }
    s.limitClass = *chosen;
    const std::optional<double> seconds = finiteNumber(parser.value(duration));
    if (!seconds || *seconds <= 0 || *seconds > kMaxDuration) {
        return QString("--duration needs a number of seconds above 0 and up to %1")
            .arg(kMaxDuration);
    }
    s.duration = *seconds;
    if (parser.isSet(periods)) {
        // Fewer than 10 periods hold no whole window.
        const std::optional<long> n =
            integerIn(parser.value(periods), kWindowPeriods50Hz, kMaxPeriodCount);
        if (!n) {
            return QString("--periods needs an integer from %1 to %2")
                .arg(kWindowPeriods50Hz)
                .arg(kMaxPeriodCount);
        }
        s.periods = static_cast<int>(*n);
    }
    s.reportFolder = parser.value(report);
    s.csvFile = parser.value(csv);
    if (parser.isSet(report) && s.reportFolder.isEmpty()) {
        return "--report needs a folder";
    }
    if (parser.isSet(csv) && s.csvFile.isEmpty()) {
        return "--csv needs a file name";
    }
    return {};
}

// The windows of the captures, one capture after the other, until the observation time.
class ComplianceRun {
public:
    ComplianceRun(LimitClass limitClass, double duration)
        : m_evaluation(limitClass), m_duration(duration) {}

    // Feeds the windows of an analysed capture; false once the observation time is reached.
    bool add(const MeasurementSet& m) {
        for (const HarmonicWindow& window : windowedHarmonics(m)) {
            if (m_observed >= m_duration) {
                break;
            }
            if (m_evaluation.add(m_smoother.smooth(window))) {
                m_observed += window.duration;
            }
        }
        ++m_captures;
        return m_observed < m_duration;
    }

    void printProgress(std::chrono::steady_clock::duration elapsed) const {
        const double seconds = std::chrono::duration<double>(elapsed).count();
        // Observed time grows slower than the clock: captures are not gapless.
        const double left = m_observed > 0 && seconds > 0
                                ? std::max(0.0, m_duration - m_observed) * seconds / m_observed
                                : -1;
        std::fprintf(stderr, "%s\n",
                     ComplianceProgressLine(m_evaluation.windows(), m_observed, m_duration, left,
                                            m_evaluation.worstSoFar())
                         .c_str());
    }

    [[nodiscard]] ComplianceResult result() const { return m_evaluation.result(); }
    [[nodiscard]] std::size_t captures() const { return m_captures; }
    [[nodiscard]] bool complete() const { return m_observed >= m_duration; }

private:
    SubgroupSmoother m_smoother;
    ComplianceEvaluation m_evaluation;
    double m_duration;
    double m_observed = 0;
    std::size_t m_captures = 0;
};

}  // namespace

int runCompliance(const QStringList& args) {
    ComplianceSettings s;
    if (const QString error = parseArguments(args, s); !error.isEmpty()) {
        return usageError(error);
    }
    if (s.help) {
        return 0;
    }
    for (const QString& path : {s.csvFile, s.reportFolder}) {
        if (path.isEmpty()) {
            continue;
        }
        const std::string error = path == s.reportFolder
                                      ? CheckOutputFolder(path.toStdString())
                                      : CheckOutputFile(path.toStdString());
        if (!error.empty()) {
            std::fprintf(stderr, "%s: %s\n", kCommandName, error.c_str());
            return kExitError;
        }
    }
    // Before any thread starts, so that the worker never takes the two signals.
    StopSignals stopSignals;
    LogInit("VoltarisRT");
    std::error_code cwdError;
    const std::string applicationFolder = std::filesystem::current_path(cwdError).string();
    CaptureOrigin origin = OpenCaptureOrigin(kCommandName, s.origin);
    if (!origin.source) {
        return kExitError;
    }
    CaptureSession session(origin, s.origin, stopSignals, [&s](AcquisitionShared& shared) {
        (void)shared.setPeriodCount(s.periods);  // validated above
    });
    if (!session.start(kCommandName)) {
        return kExitError;
    }
    CaptureObserver& observer = session.observer();
    session.shared().setState(AcqStatus::RunRequested);

    ComplianceRun run(s.limitClass, s.duration);
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    energyReset(*m);
    std::unique_ptr<HandedCapture> last;
    bool failed = false;
    const auto started = std::chrono::steady_clock::now();
    for (bool going = true; going;) {
        std::unique_ptr<HandedCapture> capture = observer.nextCapture();
        if (!capture) {
            // Stopped by a signal, the last file read, or a communication error (reported).
            failed = observer.communicationError();
            break;
        }
        // Unfiltered: the subgroups reach order 40, where the low-pass filters already act.
        if (!AnalyseCapture(*capture, origin.generation, CaptureFilter::None, *m, statistics)) {
            std::fprintf(stderr, "%s: a capture of %d blocks could not be analysed\n",
                         kCommandName, capture->buffer.blockCount);
            failed = true;
            break;
        }
        going = run.add(*m);
        run.printProgress(std::chrono::steady_clock::now() - started);
        observer.recycle(std::move(last));
        last = std::move(capture);
    }
    session.finish();

    const ComplianceResult result = run.result();
    if (result.windows == 0) {
        std::fprintf(stderr, "%s: no whole window was observed (a window is 10 mains periods at "
                             "50 Hz, 12 at 60 Hz)\n",
                     kCommandName);
        return kExitError;
    }
    QJsonObject json = ComplianceJson(result, run.captures());
    json.insert("complete", run.complete());
    PrintJsonLine(json);
    if (!s.csvFile.isEmpty() &&
        !WriteComplianceCsv(kCommandName, s.csvFile.toStdString(), result, run.captures())) {
        return kExitError;
    }
    if (!s.reportFolder.isEmpty() && last) {
        PageSelections selections;
        selections.filter = static_cast<int>(CaptureFilter::None);
        // The single-capture check of the same class beside the windowed one, on 40 orders, in
        // the unit of the class's limits (class C is a percentage of the fundamental).
        selections.harmonics.limitClass = static_cast<int>(s.limitClass);
        selections.harmonics.displayMode =
            static_cast<int>(s.limitClass == LimitClass::C ? HarmonicDisplayMode::PctH1Lin
                                                           : HarmonicDisplayMode::Absolute);
        selections.harmonicsCount = 1;
        selections.title = std::string("Pre-compliance, class ") +
                           ComplianceClassName(s.limitClass);
        const PageData data{*m, statistics, last->calibration, selections};
        const CliReportRequest request{s.reportFolder.toStdString(), {}, applicationFolder,
                                       last->buffer.hardwareVersion};
        const std::optional<QJsonObject> written = WriteCliReport(kCommandName, request, data);
        if (!written || !AddComplianceSection(kCommandName,
                                              (*written)["report"].toString().toStdString(),
                                              applicationFolder, result, run.captures())) {
            return kExitError;
        }
    }
    if (failed) {
        return kExitError;
    }
    return result.verdict == ComplianceVerdict::Pass ? 0 : kExitFail;
}

}  // namespace voltaris::cli
