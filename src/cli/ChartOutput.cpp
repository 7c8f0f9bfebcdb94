// Page charts written from the command line.
#include "cli/ChartOutput.h"

#include <cstdio>
#include <cstring>

#include "analysis/Statistics.h"
#include "device/CalibrationParams.h"
#include "ui/pages/PageTable.h"

namespace voltaris::cli {

bool WritePageCharts(const MeasurementSet& m, CaptureFilter filter, const std::string& prefix) {
    const StatisticsGrid statistics;
    PageSelections selections;
    selections.filter = static_cast<int>(filter);
    const PageData data{m, statistics, CalibrationParams{}, selections};
    FileChartSink sink(prefix);
    PageTexts texts;
    bool ok = true;
    for (const PageDescriptor& page : Pages()) {
        if (!page.build(data, sink, texts).ok) {
            std::fprintf(stderr, "voltaris-cli: the %s page could not be written to %s\n",
                         page.name, prefix.c_str());
            ok = false;
        }
    }
    for (const std::string& file : sink.written()) {
        std::fprintf(stderr, "chart written: %s\n", file.c_str());
    }
    return ok;
}

bool CommandRendersCharts(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        return true;
    }
    for (int k = 2; k < argc; ++k) {
        for (const char* option : {"--charts", "--report"}) {
            const std::size_t length = std::strlen(option);
            if (std::strncmp(argv[k], option, length) == 0 &&
                (argv[k][length] == '\0' || argv[k][length] == '=')) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace voltaris::cli
