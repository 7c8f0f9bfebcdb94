// Parsing and checking the options of `voltaris-cli capture`.
#include "cli/CaptureOptions.h"

#include <QCommandLineParser>
#include <cmath>
#include <cstdio>

#include "acquisition/TriggerConditions.h"
#include "analysis/Measurements.h"
#include "cli/ArgumentValues.h"
#include "cli/CaptureLog.h"
#include "cli/CommandHelp.h"
#include "cli/OutputPaths.h"

namespace voltaris::cli {

namespace {
constexpr int kMaxTriggerTimeout = 86400;
}  // namespace

QString CaptureUsage() {
    return QString("voltaris-cli capture [--port PATH | --demo | --replay FILE...] "
                   "[--periods N] [--pretrigger N] [--urms-low V] [--urms-high V] [--irms-low A] "
                   "[--irms-high A] [--prms-low W] [--prms-high W] [--upeak V] [--ipeak A] "
                   "[--count K] [--log FILE] [--trigger-timeout SECONDS] [--filter 0|1|2] "
                   "[--format text|json] [--raw FILE] [--charts PREFIX] [--csv OUT] "
                   "[--report DIR [--title TEXT]] %1")
        .arg(FileScalingOptions::kUsage);
}

int CaptureUsageError(const QString& message) {
    std::fprintf(stderr, "voltaris-cli capture: %s\n", qPrintable(message));
    std::fprintf(stderr, "usage: %s\n", qPrintable(CaptureUsage()));
    return 2;
}

QString CheckCaptureOutputs(const CaptureSettings& s) {
    const std::pair<const QString&, std::string (*)(const std::string&)> outputs[] = {
        {s.rawFile, CheckOutputFile},
        {s.csvFile, CheckOutputFile},
        {s.chartsPrefix, CheckOutputPrefix},
        {s.reportFolder, CheckOutputFolder},
    };
    for (const auto& [path, check] : outputs) {
        if (!path.isEmpty()) {
            if (const std::string error = check(path.toStdString()); !error.empty()) {
                return QString::fromStdString(error);
            }
        }
    }
    return {};
}

QString ParseCaptureArguments(const QStringList& args, CaptureSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", "serial device of the meter", "PATH");
    const QCommandLineOption demo("demo", "demonstration mode: synthetic signals, no meter");
    const QCommandLineOption replay("replay", "capture from the raw capture files given");
    const QCommandLineOption periods("periods", "mains periods per capture, 1..85", "N");
    const QCommandLineOption preTrigger("pretrigger", "pre-trigger, 0..periods-1", "N");
    const QCommandLineOption count(
        "count", "K continuous captures instead of one single; 0: until SIGINT or SIGTERM", "K");
    const QCommandLineOption log("log",
                                 "append a line per capture to FILE (.csv: commas; .tsv, .txt: "
                                 "tabs), a header line first when FILE is new or empty",
                                 "FILE");
    const QCommandLineOption triggerTimeout(
        "trigger-timeout", "give up after SECONDS armed without a trigger", "SECONDS");
    const QCommandLineOption filter("filter", "0 none, 1 low pass 1 kHz, 2 low pass 2 kHz", "F");
    const QCommandLineOption raw("raw", "write the last capture's bytes to FILE", "FILE");
    const QCommandLineOption charts("charts", "write the last capture's pages as PNG", "PREFIX");
    const QCommandLineOption csv("csv", "write the last capture's CSV export to OUT", "OUT");
    const QCommandLineOption report("report", "write the last capture's report into DIR", "DIR");
    const QCommandLineOption title("title", "title of the report", "TEXT", "n/a");
    const FileScalingOptions scaling;
    QCommandLineOption devRoot("dev-root", "device folder to search for ports", "DIR", "/dev");
    QCommandLineOption sysRoot("sys-root", "sysfs folder describing the ports", "DIR", "/sys");
    devRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    sysRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption format = formatOption();
    parser.addOptions({port, demo, replay, periods, preTrigger, count, filter, format, raw, charts,
                       csv, report, title, devRoot, sysRoot, triggerTimeout, log});
    scaling.addTo(parser);
    const QCommandLineOption help = parser.addHelpOption();

    struct Threshold {
        QCommandLineOption option;
        float* target;
        TriggerField field;
    };
    TriggerThresholds& t = s.thresholds;
    Threshold thresholds[] = {
        {{"urms-low", "Urms low threshold (V)", "V"}, &t.urmsLow, kUrmsLow},
        {{"urms-high", "Urms high threshold (V)", "V"}, &t.urmsHigh, kUrmsHigh},
        {{"irms-low", "Irms low threshold (A)", "A"}, &t.irmsLow, kIrmsLow},
        {{"irms-high", "Irms high threshold (A)", "A"}, &t.irmsHigh, kIrmsHigh},
        {{"prms-low", "Prms low threshold (W)", "W"}, &t.prmsLow, kPrmsLow},
        {{"prms-high", "Prms high threshold (W)", "W"}, &t.prmsHigh, kPrmsHigh},
        {{"upeak", "Upeak threshold (V)", "V"}, &t.upeakMax, kUpeakMax},
        {{"ipeak", "Ipeak threshold (A)", "A"}, &t.ipeakMax, kIpeakMax},
    };
    for (const Threshold& threshold : thresholds) {
        parser.addOption(threshold.option);
    }
    if (!parser.parse(args)) {
        return parser.errorText();
    }
    if (parser.isSet(help)) {
        PrintCommandHelp(parser, CaptureUsage());
        s.help = true;
        return {};
    }

    s.demo = parser.isSet(demo);
    s.port = parser.value(port);
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(replay)) {
        if (positional.isEmpty()) {
            return "--replay needs at least one capture file";
        }
        s.replayFiles = positional;
    } else if (!positional.isEmpty()) {
        return QString("unexpected argument '%1'").arg(positional.first());
    }
    if (int(s.demo) + int(parser.isSet(port)) + int(parser.isSet(replay)) > 1) {
        return "--port, --demo and --replay exclude each other";
    }
    if (parser.isSet(port) && s.port.isEmpty()) {
        return "--port needs a device path";
    }
    if (parser.isSet(periods)) {
        const auto v = integerIn(parser.value(periods), kMinPeriodCount, kMaxPeriodCount);
        if (!v) {
            return QString("--periods needs an integer from 1 to %1").arg(kMaxPeriodCount);
        }
        s.periods = static_cast<int>(*v);
    }
    if (parser.isSet(preTrigger)) {
        const auto v = integerIn(parser.value(preTrigger), 0, s.periods - 1);
        if (!v) {
            return QString("--pretrigger needs an integer from 0 to %1").arg(s.periods - 1);
        }
        s.preTrigger = static_cast<int>(*v);
    }
    for (const Threshold& threshold : thresholds) {
        if (!parser.isSet(threshold.option)) {
            continue;
        }
        const std::optional<double> value = finiteNumber(parser.value(threshold.option));
        if (!value) {
            return QString("--%1 needs a number, not '%2'")
                .arg(threshold.option.names().first(), parser.value(threshold.option));
        }
        // Held to the range of the window's trigger-condition boxes.
        *threshold.target = static_cast<float>(
            std::clamp(*value, 0.0, static_cast<double>(TriggerCap(threshold.field))));
    }
    if (parser.isSet(count)) {
        const auto v = integerIn(parser.value(count), 0, 1000000);
        if (!v) {
            return "--count needs 0 (until stopped) or a positive integer";
        }
        s.count = static_cast<int>(*v);
        s.untilStopped = *v == 0;
    }
    if (parser.isSet(triggerTimeout)) {
        // Bounded to a day, so that the deadline arithmetic cannot overflow.
        const std::optional<double> v = finiteNumber(parser.value(triggerTimeout));
        if (!v || !(*v > 0) || *v > kMaxTriggerTimeout) {
            return QString("--trigger-timeout needs a number of seconds above 0 and up to %1, "
                           "not '%2'")
                .arg(kMaxTriggerTimeout)
                .arg(parser.value(triggerTimeout));
        }
        if (parser.isSet(replay)) {
            return "--trigger-timeout has no meaning with --replay: files need no trigger";
        }
        s.triggerTimeout = *v;
    }
    if (parser.isSet(filter)) {
        const auto v = integerIn(parser.value(filter), 0, 2);
        if (!v) {
            return "--filter needs 0, 1 or 2";
        }
        s.filter = *captureFilterFromIndex(static_cast<int>(*v));
    }
    for (auto [option, target] :
         {std::pair{&raw, &s.rawFile}, std::pair{&charts, &s.chartsPrefix},
          std::pair{&csv, &s.csvFile}, std::pair{&report, &s.reportFolder}}) {
        *target = parser.value(*option);
        if (parser.isSet(*option) && target->isEmpty()) {
            return QString("--%1 needs a file name").arg(option->names().first());
        }
    }
    if (parser.isSet(log)) {
        s.logFile = parser.value(log);
        const std::optional<char> separator = LogSeparatorFor(s.logFile);
        if (!separator) {
            return QString("--log needs a file ending in .csv, .tsv or .txt, not '%1'")
                .arg(s.logFile);
        }
        s.logSeparator = *separator;
    }
    if (parser.isSet(title) && !parser.isSet(report)) {
        return "--title needs --report";
    }
    s.title = parser.value(title);
    if (QString error = scaling.read(parser, s.scaling); !error.isEmpty()) {
        return error;
    }
    s.devRoot = parser.value(devRoot);
    s.sysRoot = parser.value(sysRoot);
    return readOutputFormat(parser, s.format);
}

}  // namespace voltaris::cli
