// Command help texts.
#include "cli/CommandHelp.h"

#include <cstdio>

namespace voltaris::cli {

void PrintCommandHelp(const QCommandLineParser& parser, const QString& usage) {
    QString options = parser.helpText();
    if (options.startsWith(QLatin1String("Usage:"))) {
        const qsizetype end = options.indexOf(QLatin1Char('\n'));
        options = end < 0 ? QString() : options.mid(end + 1);
    }
    std::fprintf(stdout, "usage: %s\n%s", qPrintable(usage), qPrintable(options));
    std::fflush(stdout);
}

}  // namespace voltaris::cli
