// The options of `voltaris-cli capture`: where the captures come from (a named port, the meters
// found, the demonstration generator or replayed files), periods, trigger, count, filter and
// what to write besides the lines printed (JSON, or a summary for a person).
#pragma once

#include <QString>
#include <QStringList>

#include "acquisition/AcqRequest.h"
#include "analysis/MeasurementSet.h"
#include "cli/FileScalingOptions.h"
#include "cli/OutputFormat.h"

namespace voltaris::cli {

struct CaptureSettings {
    bool help = false;  // --help was asked and printed
    QString port;
    bool demo = false;
    QStringList replayFiles;  // --replay: these files instead of a meter
    int periods = kDefaultPeriodCount;
    int preTrigger = 0;
    TriggerThresholds thresholds;
    int count = 0;  // 0: one single capture (one per file with --replay); K: K captures
    bool untilStopped = false;  // --count 0: continuous captures until SIGINT or SIGTERM
    double triggerTimeout = 0;  // --trigger-timeout: seconds armed without a trigger; 0: no bound
    CaptureFilter filter = CaptureFilter::LowPass2k;
    QString rawFile;
    QString chartsPrefix;   // --charts: the pages of the last capture as PNG files
    QString csvFile;        // --csv: the CSV export of the last capture
    QString reportFolder;   // --report: the report of the last capture
    QString logFile;        // --log: a line appended per capture
    char logSeparator = ',';  // of the --log file, from its name
    QString title = "n/a";  // --title: the report's title
    OutputFormat format = OutputFormat::Json;
    FileScaling scaling;  // what replayed files do not say
    QString devRoot;
    QString sysRoot;
};

// Fills `s` from the arguments; returns an error message, empty when all are valid.
[[nodiscard]] QString ParseCaptureArguments(const QStringList& args, CaptureSettings& s);

// Checks that every file asked for (--raw, --csv, --charts, --report) can be written, before
// the meter is touched; the first failure as "<path>: <the system's text>", empty when none.
[[nodiscard]] QString CheckCaptureOutputs(const CaptureSettings& s);

// The usage line of the command.
[[nodiscard]] QString CaptureUsage();

// Prints the message and the usage line on standard error; returns the exit status 2.
int CaptureUsageError(const QString& message);

}  // namespace voltaris::cli
