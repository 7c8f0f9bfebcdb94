// How a command prints its result: JSON for scripts, or a short summary for a person. Without
// --format, a terminal on standard output gets the summary, anything else (a pipe, a file) the
// JSON, so scripts read what they always read.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace voltaris::cli {

enum class OutputFormat { Json, Text };

// --format text|json, for a command's parser.
[[nodiscard]] QCommandLineOption formatOption();

// Sets `format` from --format, or from standard output when it is not given. Returns an error
// message for any other value, empty when it is valid.
[[nodiscard]] QString readOutputFormat(const QCommandLineParser& parser, OutputFormat& format);

// Writes the text on standard output, ending it with a line break, and flushes it at once so
// that each capture shows up when it is made.
void printText(const QString& text);

}  // namespace voltaris::cli
