// The --help of every command: its usage on standard output, then the options its parser knows.
#pragma once

#include <QCommandLineParser>
#include <QString>

namespace voltaris::cli {

// Prints "usage: <usage>" and the parser's option list on standard output. The parser's own
// first line names the program file, not the command, and is left out.
void PrintCommandHelp(const QCommandLineParser& parser, const QString& usage);

}  // namespace voltaris::cli
