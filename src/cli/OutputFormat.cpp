// The --format option of the headless commands.
#include "cli/OutputFormat.h"

#include <unistd.h>

#include <cstdio>

namespace voltaris::cli {

namespace {

constexpr const char* kFormatName = "format";

}  // namespace

QCommandLineOption formatOption() {
    return QCommandLineOption(
        kFormatName,
        "Output: text (a short summary) or json. Default: text on a terminal, json otherwise.",
        "text|json");
}

QString readOutputFormat(const QCommandLineParser& parser, OutputFormat& format) {
    if (!parser.isSet(kFormatName)) {
        format = ::isatty(STDOUT_FILENO) == 1 ? OutputFormat::Text : OutputFormat::Json;
        return {};
    }
    const QString value = parser.value(kFormatName);
    if (value == QLatin1String("text")) {
        format = OutputFormat::Text;
    } else if (value == QLatin1String("json")) {
        format = OutputFormat::Json;
    } else {
        return QString("--format needs text or json, not '%1'").arg(value);
    }
    return {};
}

void printText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    if (!bytes.endsWith('\n')) {
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

}  // namespace voltaris::cli
