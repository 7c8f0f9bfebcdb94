// voltaris-cli status: asks the meter on one port for its status and prints it as JSON or, for a
// person, as one line.
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>

#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/OutputFormat.h"
#include "cli/TextSummary.h"
#include "device/MeterCommands.h"
#include "device/MeterDetection.h"
#include "device/SerialPort.h"

namespace voltaris::cli {

int runStatus(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Asks one meter for its status.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption portOption("port", "Serial device of the meter.", "PATH");
    const QCommandLineOption format = formatOption();
    parser.addOptions({portOption, format});
    if (!parser.parse(args)) {
        std::fprintf(stderr, "voltaris-cli status: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        PrintCommandHelp(parser, "voltaris-cli status --port PATH [--format text|json]");
        return 0;
    }
    const QString path = parser.value(portOption);
    if (path.isEmpty()) {
        std::fprintf(stderr, "voltaris-cli status: --port PATH is required\n");
        return 2;
    }
    OutputFormat outputFormat = OutputFormat::Json;
    if (const QString error = readOutputFormat(parser, outputFormat); !error.isEmpty()) {
        std::fprintf(stderr, "voltaris-cli status: %s\n", qPrintable(error));
        return 2;
    }

    const std::string portPath = path.toStdString();
    int openError = 0;
    std::unique_ptr<SerialPort> port = OpenPort(portPath, &openError);
    if (!port) {
        std::fprintf(stderr, "voltaris-cli status: cannot open port %s: %s\n", portPath.c_str(),
                     PortOpenErrorText(openError).c_str());
        return 2;
    }
    const StatusQuery query = QueryStatus(*port);
    ClosePort(*port);
    if (!query.answered || !query.status) {
        const PortProbe probe{.path = portPath, .answered = query.answered, .reply = query.reply};
        std::fprintf(stderr, "voltaris-cli status: %s\n", ProbeFailureText(probe).c_str());
        return 2;
    }

    const QString reply =
        QString::fromLatin1(query.reply.data(), static_cast<qsizetype>(query.reply.size()));
    if (outputFormat == OutputFormat::Text) {
        printText(statusSummary(path, *query.status, reply));
        return 0;
    }
    const QJsonObject result{
        {"port", path},
        {"status", reply},
        {"state", QString(QLatin1Char(query.status->state))},
        {"generation", query.status->generation},
        {"hardwareVersion", query.status->hardwareVersion},
    };
    std::fputs(QJsonDocument(result).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

}  // namespace voltaris::cli
