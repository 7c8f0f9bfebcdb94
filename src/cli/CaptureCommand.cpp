// voltaris-cli capture: takes the named meter (or finds one, or falls back to demonstration
// mode, or replays raw capture files), applies the selection as the window does (the clock of
// a second-generation meter is set once, before the first arming), runs the acquisition worker
// for one single, K continuous or, with --count 0, continuous captures until SIGINT or SIGTERM,
// and prints each analysed capture as one line of JSON or of text; --log appends a line per
// capture to a file. Messages the window would show in a box go to standard error.
#include <QString>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/RawCaptureFile.h"
#include "analysis/EnergySeries.h"
#include "cli/CaptureLog.h"
#include "cli/CaptureObserver.h"
#include "cli/CaptureOrigin.h"
#include "cli/CaptureSession.h"
#include "cli/CaptureOptions.h"
#include "cli/CaptureOutput.h"
#include "cli/ChartOutput.h"
#include "cli/Commands.h"
#include "cli/MeterLookup.h"
#include "cli/ReportOutput.h"
#include "cli/StopSignals.h"
#include "infra/Log.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli capture";

}  // namespace

int runCapture(const QStringList& args) {
    CaptureSettings s;
    if (const QString error = ParseCaptureArguments(args, s); !error.isEmpty()) {
        return CaptureUsageError(error);
    }
    if (s.help) {
        return 0;
    }
    if (const QString error = CheckCaptureOutputs(s); !error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(error));
        return 2;
    }
    CaptureLog log;
    if (!s.logFile.isEmpty()) {
        if (const std::string error = log.prepare(s.logFile.toStdString(), s.logSeparator);
            !error.empty()) {
            std::fprintf(stderr, "%s: %s\n", kCommandName, error.c_str());
            return 2;
        }
    }
    // Before any thread starts, so that the worker never takes the two signals.
    StopSignals stopSignals;
    LogInit("VoltarisRT");
    std::error_code cwdError;
    const std::string applicationFolder = std::filesystem::current_path(cwdError).string();
    const bool replay = !s.replayFiles.isEmpty();
    const OriginRequest request{s.port, s.demo, s.replayFiles, s.scaling, s.devRoot, s.sysRoot};
    CaptureOrigin origin = OpenCaptureOrigin(kCommandName, request);
    if (!origin.source) {
        return 2;
    }

    CaptureSession session(origin, request, stopSignals, [&s](AcquisitionShared& shared) {
        (void)shared.setPeriodCount(s.periods);  // validated above
        (void)shared.setTrigger(s.preTrigger, s.thresholds);
    });
    if (!session.start(kCommandName)) {
        return 2;
    }
    AcquisitionShared& shared = session.shared();
    CaptureObserver& observer = session.observer();
    // A replay runs continuously through its files; otherwise --count asks for a run.
    const bool run = s.count > 0 || s.untilStopped || replay;
    shared.setState(run ? AcqStatus::RunRequested : AcqStatus::SingleRequested);

    const std::int64_t wanted = s.untilStopped ? INT64_MAX
                                : s.count > 0  ? s.count
                                               : (replay ? s.replayFiles.size() : 1);
    std::int64_t printed = 0;
    auto m = std::make_unique<MeasurementSet>();
    // Kept across the captures, as the window keeps them, for the report.
    StatisticsGrid statistics;
    energyReset(*m);
    std::unique_ptr<HandedCapture> last;
    bool failed = false;
    const auto triggerTimeout = std::chrono::milliseconds(std::llround(s.triggerTimeout * 1000));
    while (printed < wanted) {
        std::unique_ptr<HandedCapture> capture = s.triggerTimeout > 0
                                                     ? observer.nextCapture(triggerTimeout)
                                                     : observer.nextCapture();
        if (!capture && observer.triggerTimedOut()) {
            std::fprintf(stderr, "%s: no trigger within %g s (--trigger-timeout); gave up waiting\n",
                         kCommandName, s.triggerTimeout);
            failed = true;
            break;
        }
        if (!capture) {
            // A communication error (already reported), the last replayed file was read, or a
            // stop was requested.
            failed = observer.communicationError();
            break;
        }
        const std::optional<LimitCheck> check =
            AnalyseCapture(*capture, origin.generation, s.filter, *m, statistics);
        if (!check) {
            std::fprintf(stderr, "%s: a capture of %d blocks could not be analysed\n", kCommandName,
                         capture->buffer.blockCount);
            failed = true;
            break;
        }
        ++printed;
        PrintCapture(s.format, printed, *capture, *m, *check);
        if (!s.logFile.isEmpty()) {
            const std::string error =
                log.append(observer.readAt(*capture), printed, CaptureJson(*capture, *m, *check));
            if (!error.empty()) {
                std::fprintf(stderr,
                             "%s: the capture log could not be written (%s); the lines "
                             "written before stay\n",
                             kCommandName, error.c_str());
                failed = true;
                break;
            }
        }
        observer.recycle(std::move(last));
        last = std::move(capture);
    }
    session.finish();
    if (last && !s.rawFile.isEmpty()) {
        std::string error;
        if (!WriteRawCaptureFile(s.rawFile.toStdString(), last->buffer, error)) {
            std::fprintf(stderr, "%s: %s\n", kCommandName, error.c_str());
            return 2;
        }
    }
    if (last && !s.chartsPrefix.isEmpty() && !failed &&
        !WritePageCharts(*m, s.filter, s.chartsPrefix.toStdString())) {
        return 2;
    }
    if (last && !s.csvFile.isEmpty() && !failed &&
        !WriteCsvFile(kCommandName, s.csvFile.toStdString(), *m)) {
        return 2;
    }
    if (last && !s.reportFolder.isEmpty() && !failed) {
        PageSelections selections;
        selections.filter = static_cast<int>(s.filter);
        selections.title = s.title.toStdString();
        const PageData data{*m, statistics, last->calibration, selections};
        const std::optional<QJsonObject> report =
            WriteCliReport(kCommandName,
                           {.folder = s.reportFolder.toStdString(),
                            .templatePath = {},
                            .applicationFolder = applicationFolder,
                            .hardwareVersion = last->buffer.hardwareVersion},
                           data);
        if (!report) {
            return 2;
        }
        std::fprintf(stderr, "report written: %s\n", qPrintable((*report)["report"].toString()));
    }
    return failed ? 2 : 0;
}

}  // namespace voltaris::cli
