#include <cstdio>

#include "cli/Commands.h"

namespace voltaris::cli {

int runAnalyze(const QStringList&) {
    std::fprintf(stderr, "voltaris-cli analyze: not available yet\n");
    return 2;
}

}  // namespace voltaris::cli
