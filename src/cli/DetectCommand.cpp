// voltaris-cli detect: finds the meters among the ports present and the ports named, and prints
// them as a JSON array or, for a person, as a table; the progress of the detection goes to
// standard error. It only lists: no meter is selected, so no clock is set.
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/MeterLookup.h"
#include "cli/OutputFormat.h"
#include "cli/TextSummary.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli detect";

QJsonArray metersAsJson(const std::vector<DetectedMeter>& meters) {
    QJsonArray array;
    for (const DetectedMeter& meter : meters) {
        array.append(QJsonObject{
            {"entry", QString::fromStdString(meter.entry)},
            {"port", QString::fromStdString(meter.portPath)},
            {"generation", static_cast<int>(meter.generation)},
            {"hardwareVersion", meter.hardwareVersion},
        });
    }
    return array;
}

}  // namespace

int runDetect(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Finds the meters on the Bluetooth serial ports and on the ports named with --port or in "
        "VOLTARIS_PORTS (colon-separated), and lists them: a table on a terminal, a JSON array "
        "otherwise.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption portOption("port", "Also probe this serial device (repeatable).",
                                        "PATH");
    // Roots of the device and sysfs trees searched for ports; for test benches.
    QCommandLineOption devRootOption("dev-root", "Device folder to search for ports.", "DIR",
                                     "/dev");
    QCommandLineOption sysRootOption("sys-root", "sysfs folder describing the ports.", "DIR",
                                     "/sys");
    devRootOption.setFlags(QCommandLineOption::HiddenFromHelp);
    sysRootOption.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption format = formatOption();
    parser.addOptions({portOption, format, devRootOption, sysRootOption});
    if (!parser.parse(args)) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        PrintCommandHelp(parser, "voltaris-cli detect [--port PATH]... [--format text|json]");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: unexpected argument '%s'\n", kCommandName,
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    OutputFormat outputFormat = OutputFormat::Json;
    if (const QString error = readOutputFormat(parser, outputFormat); !error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(error));
        return 2;
    }

    std::vector<std::string> namedPaths;
    for (const QString& path : parser.values(portOption)) {
        namedPaths.push_back(path.toStdString());
    }
    // The detected ports stay open until the process ends, as they would in the window.
    const DetectionResult result = lookUpMeters(namedPaths, parser.value(devRootOption),
                                                parser.value(sysRootOption), false);
    if (result.meters.empty()) {
        // Listing has no demonstration mode to fall back to: say what was found instead.
        std::fprintf(stderr, "%s: no meter found\n", kCommandName);
        for (const PortProbe& probe : result.probes) {
            std::fprintf(stderr, "  %s\n", ProbeFailureText(probe).c_str());
        }
    }

    if (outputFormat == OutputFormat::Text) {
        printText(meterTable(result.meters));
        return result.meters.empty() ? 2 : 0;
    }
    // The array is printed even when empty, so that scripts always read valid JSON.
    std::fputs(
        QJsonDocument(metersAsJson(result.meters)).toJson(QJsonDocument::Compact).constData(),
        stdout);
    std::fputc('\n', stdout);
    return result.meters.empty() ? 2 : 0;
}

}  // namespace voltaris::cli
