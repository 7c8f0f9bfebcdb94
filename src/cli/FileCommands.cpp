// voltaris-cli files, download, delete and log-period: the SD-card file service of a
// second-generation meter, through the same exchanges and conversion as the download dialog.
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "device/CardFiles.h"
#include "device/MeterCommands.h"
#include "device/MeterDetection.h"
#include "device/SerialPort.h"
#include "files/LogDownload.h"

namespace voltaris::cli {

namespace {

constexpr int kExitIncomplete = 1;
constexpr int kExitError = 2;

void fail(const char* command, const std::string& text) {
    std::fprintf(stderr, "voltaris-cli %s: %s\n", command, text.c_str());
}

void printJson(const QJsonDocument& document) {
    std::fputs(document.toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
}

QString nameText(const std::string& name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// Parses the command line of `command`; prints the reason and returns false when it is wrong.
// `help` is set when --help was asked (the help is printed).
bool parse(const char* command, QCommandLineParser& parser, const QStringList& args, bool& help) {
    const QCommandLineOption helpOption = parser.addHelpOption();
    if (!parser.parse(args)) {
        fail(command, parser.errorText().toStdString());
        return false;
    }
    help = parser.isSet(helpOption);
    if (help) {
        PrintCommandHelp(parser, QString("voltaris-cli %1 [options]").arg(command));
    }
    return true;
}

// Opens the port and checks that a second-generation meter answers on it: only it has the
// SD card. Null, after saying why, otherwise.
std::unique_ptr<SerialPort> openCardMeter(const char* command, const QString& path) {
    if (path.isEmpty()) {
        fail(command, "--port PATH is required");
        return nullptr;
    }
    const std::string portPath = path.toStdString();
    int openError = 0;
    std::unique_ptr<SerialPort> port = OpenPort(portPath, &openError);
    if (!port) {
        fail(command, "cannot open port " + portPath + ": " + PortOpenErrorText(openError));
        return nullptr;
    }
    const StatusQuery query = QueryStatus(*port);
    if (!query.answered || !query.status) {
        fail(command, ProbeFailureText({.path = portPath,
                                        .answered = query.answered,
                                        .reply = query.reply}));
        return nullptr;
    }
    if (query.status->generation != 2) {
        fail(command, "the meter on " + portPath +
                          " is not a second-generation meter: only those have an SD card");
        return nullptr;
    }
    return port;
}

// The card's files; nothing, after saying why, when there is no card or no answer.
std::optional<std::vector<CardFile>> listFiles(const char* command, SerialPort& port) {
    const ListExchange list = SendListCommand(port, kEmptyReadsListWindow);
    if (IsNoCardReply(list.reply)) {
        fail(command, TableText(kStrNoSdCard));
        return std::nullopt;
    }
    if (!list.answered) {
        fail(command, kSyncNoAnswerText);
        return std::nullopt;
    }
    return ParseFileList(list.reply);
}

// Progress and skipped files on standard error.
class ConsoleProgress final : public DownloadProgress {
public:
    void fileStarted(int k, int n, const std::string& localName, int blocks) override {
        std::fprintf(stderr, "%s %d %s %d : %s (%d blocks)\n", TableText(kStrFileDownload).c_str(),
                     k, TableText(kStrOn).c_str(), n, localName.c_str(), blocks);
    }
    void message(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "voltaris-cli download: %s: %s\n", caption.c_str(), text.c_str());
    }
};

}  // namespace

int runFiles(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Lists the files of the meter's SD card.");
    const QCommandLineOption portOption("port", "Serial device of the meter.", "PATH");
    parser.addOption(portOption);
    bool help = false;
    if (!parse("files", parser, args, help)) {
        return kExitError;
    }
    if (help) {
        return 0;
    }
    const std::unique_ptr<SerialPort> port = openCardMeter("files", parser.value(portOption));
    if (!port) {
        return kExitError;
    }
    const auto files = listFiles("files", *port);
    if (!files) {
        return kExitError;
    }
    QJsonArray list;
    for (const CardFile& file : *files) {
        list.append(
            QJsonObject{{"name", nameText(file.name)}, {"size", static_cast<qint64>(file.size)}});
    }
    printJson(QJsonDocument(list));
    return 0;
}

int runDownload(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Downloads files of the meter's SD card and converts each into DIR/NAME.csv.");
    const QCommandLineOption portOption("port", "Serial device of the meter.", "PATH");
    const QCommandLineOption outOption("out", "Folder of the converted files.", "DIR");
    const QCommandLineOption allOption("all", "Every file of the card.");
    parser.addOptions({portOption, outOption, allOption});
    parser.addPositionalArgument("NAME", "Files to download, unless --all.", "[NAME...]");
    bool help = false;
    if (!parse("download", parser, args, help)) {
        return kExitError;
    }
    if (help) {
        return 0;
    }
    const QStringList names = parser.positionalArguments();
    if (parser.isSet(allOption) == !names.isEmpty()) {
        fail("download", "give either --all or the names of the files");
        return kExitError;
    }
    if (parser.value(outOption).isEmpty()) {
        fail("download", "--out DIR is required");
        return kExitError;
    }
    const std::unique_ptr<SerialPort> port = openCardMeter("download", parser.value(portOption));
    if (!port) {
        return kExitError;
    }
    const auto files = listFiles("download", *port);
    if (!files) {
        return kExitError;
    }
    std::vector<CardFile> selected;
    if (parser.isSet(allOption)) {
        selected = *files;
    }
    for (const QString& name : names) {
        const auto found = std::find_if(files->begin(), files->end(), [&](const CardFile& f) {
            return f.name == name.toStdString();
        });
        if (found == files->end()) {
            fail("download", "no file " + name.toStdString() + " on the SD card");
            return kExitError;
        }
        selected.push_back(*found);
    }

    // Made only once the meter and the names were accepted, with its missing parents.
    const std::filesystem::path out(parser.value(outOption).toStdString());
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        fail("download", out.string() + ": " + error.message());
        return kExitError;
    }
    ConsoleProgress progress;
    const std::string folder = (out / "").string();
    const DownloadReport report = DownloadLogFiles(*port, folder, selected, progress);
    QJsonArray results;
    bool complete = true;
    for (const DownloadedFile& file : report.files) {
        complete = complete && file.complete;
        results.append(QJsonObject{
            {"name", nameText(file.name)},
            {"path",
             file.path.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(file.path))},
            {"size", static_cast<qint64>(file.size)},
            {"records", file.records},
            {"complete", file.complete},
        });
    }
    printJson(QJsonDocument(QJsonObject{{"files", results}}));
    if (!complete) {
        // The window's closing message, so that a script's log says which files to fetch again.
        const DownloadEnd end = DownloadEndMessage(report);
        progress.message(end.text, end.caption);
    }
    return complete ? 0 : kExitIncomplete;
}

int runDelete(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Deletes files of the meter's SD card.");
    const QCommandLineOption portOption("port", "Serial device of the meter.", "PATH");
    parser.addOption(portOption);
    parser.addPositionalArgument("NAME", "Files to delete.", "NAME...");
    bool help = false;
    if (!parse("delete", parser, args, help)) {
        return kExitError;
    }
    if (help) {
        return 0;
    }
    const QStringList names = parser.positionalArguments();
    if (names.isEmpty()) {
        fail("delete", "give the names of the files to delete");
        return kExitError;
    }
    for (const QString& name : names) {
        const std::string text = name.toStdString();
        if (text.size() != kCardNameLength || !IsPlainCardFileName(text)) {
            fail("delete", "\"" + text + "\" is not the 6-character name of a card file");
            return kExitError;
        }
    }
    const std::unique_ptr<SerialPort> port = openCardMeter("delete", parser.value(portOption));
    if (!port) {
        return kExitError;
    }
    QJsonArray deleted;
    QJsonArray failed;
    for (const QString& name : names) {
        (DeleteCardFile(*port, name.toStdString()) ? deleted : failed).append(name);
    }
    printJson(QJsonDocument(QJsonObject{{"deleted", deleted}, {"failed", failed}}));
    return failed.isEmpty() ? 0 : kExitIncomplete;
}

int runLogPeriod(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sets the meter's logging period in mains periods: 1, 50, 250, 500, 1500 or 3000.");
    const QCommandLineOption portOption("port", "Serial device of the meter.", "PATH");
    parser.addOption(portOption);
    parser.addPositionalArgument("VALUE", "Logging period in mains periods.");
    bool help = false;
    if (!parse("log-period", parser, args, help)) {
        return kExitError;
    }
    if (help) {
        return 0;
    }
    const QStringList values = parser.positionalArguments();
    bool number = false;
    const int value = values.size() == 1 ? values.first().toInt(&number) : 0;
    const bool listed =
        number && std::any_of(std::begin(kLogPeriodChoices), std::end(kLogPeriodChoices),
                              [value](const LogPeriodChoice& choice) {
                                  return choice.value > 0 && choice.value == value;
                              });
    if (!listed) {
        // Refused before the port is even opened: nothing reaches the meter.
        fail("log-period", TableText(kStrUnsupportedLogPeriod));
        return kExitError;
    }
    const std::unique_ptr<SerialPort> port = openCardMeter("log-period", parser.value(portOption));
    if (!port) {
        return kExitError;
    }
    if (!SendLogPeriod(*port, value)) {
        fail("log-period", kLogPeriodNoAnswerText);
        return kExitError;
    }
    printJson(QJsonDocument(QJsonObject{{"logPeriod", value}}));
    return 0;
}

}  // namespace voltaris::cli
