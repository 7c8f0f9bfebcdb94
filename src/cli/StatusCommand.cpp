#include <cstdio>

#include "cli/Commands.h"

namespace voltaris::cli {

int runStatus(const QStringList&) {
    std::fprintf(stderr, "voltaris-cli status: not available yet\n");
    return 2;
}

}  // namespace voltaris::cli
