// voltaris-cli: the headless tool for test benches and scripts. JSON on standard output (a short
// summary instead when it is a terminal, or with --format text), messages on standard error;
// exit 0 on success, 1 on a failed check, 2 on a usage or device error.
#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/ChartOutput.h"
#include "cli/Commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
    const char* summary;
};

const Command kCommands[] = {
    {"status", voltaris::cli::runStatus, "ask one meter for its status (--port PATH)"},
    {"analyze", voltaris::cli::runAnalyze, "analyse a raw capture file"},
    {"detect", voltaris::cli::runDetect, "find the meters and list them ([--port PATH]...)"},
    {"capture", voltaris::cli::runCapture,
     "run captures and print each analysed one ([--port PATH | --demo | --replay FILE...])"},
    {"calibrate", voltaris::cli::runCalibrate,
     "recalibrate a meter against a reference (--port PATH --vrms-actual V --irms-actual MA)"},
    {"files", voltaris::cli::runFiles, "list the files of the meter's SD card (--port PATH)"},
    {"download", voltaris::cli::runDownload,
     "download SD-card files as text files (--port PATH --out DIR (--all | NAME...))"},
    {"delete", voltaris::cli::runDelete, "delete SD-card files (--port PATH NAME...)"},
    {"log-period", voltaris::cli::runLogPeriod,
     "set the meter's logging period (--port PATH VALUE)"},
    {"report", voltaris::cli::runReport,
     "write the HTML report of raw capture files (FILE... --out DIR)"},
    {"compliance", voltaris::cli::runCompliance,
     "IEC 61000-3-2 pre-compliance run ((--port PATH | --demo | FILE...) --class A|B|C|D "
     "--duration SECONDS)"},
};

// On standard error after a usage error, on standard output when help was asked.
void printUsage(std::FILE* out = stderr) {
    std::fprintf(out, "usage: voltaris-cli COMMAND [options] [--format text|json]\ncommands:\n");
    for (const Command& c : kCommands) {
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    }
    std::fprintf(out,
                 "output: a short summary on a terminal, JSON in a pipe or a file; --format "
                 "chooses\n"
                 "voltaris-cli COMMAND --help (or voltaris-cli help COMMAND) describes a command\n");
}

bool isHelpWord(const QString& word) {
    return word == QLatin1String("--help") || word == QLatin1String("-h") ||
           word == QLatin1String("help");
}

}  // namespace

int main(int argc, char** argv) {
    // The chart layer draws through widgets: a command that renders charts gets a QApplication,
    // on the offscreen platform when there is no display to connect to.
    std::unique_ptr<QCoreApplication> app;
    if (voltaris::cli::CommandRendersCharts(argc, argv)) {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName("voltaris-cli");
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        printUsage();
        return 2;
    }
    QStringList commandArgs = args.mid(1);
    if (isHelpWord(args.at(1))) {
        if (args.size() == 2) {
            printUsage(stdout);
            return 0;
        }
        // "help COMMAND": that command's own help.
        commandArgs = QStringList{args.at(2), QStringLiteral("--help")};
    }
    for (const Command& c : kCommands) {
        if (commandArgs.at(0) == QLatin1String(c.name)) {
            // The command sees its own name as argument 0, as QCommandLineParser expects.
            return c.run(commandArgs);
        }
    }
    std::fprintf(stderr, "voltaris-cli: unknown command '%s'\n", qPrintable(commandArgs.at(0)));
    printUsage();
    return 2;
}
