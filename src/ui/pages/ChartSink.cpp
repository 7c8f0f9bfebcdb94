// Charts written to PNG files.
#include "ui/pages/ChartSink.h"

#include <cstdio>

#include "infra/Log.h"
#include "ui/charts/Chart.h"

namespace voltaris {

std::string ChartFileName(const char* format, const std::string& prefix) {
    const int length = std::snprintf(nullptr, 0, format, prefix.c_str());
    if (length < 0) {
        return {};
    }
    std::string name(static_cast<std::size_t>(length), '\0');
    std::snprintf(name.data(), name.size() + 1, format, prefix.c_str());
    return name;
}

bool FileChartSink::put(const charts::Chart& chart, int paneId, const char* fileFormat) {
    (void)paneId;
    const std::string path = ChartFileName(fileFormat, m_prefix);
    if (!chart.renderToPng(path)) {
        LogMessage("voltaris", LogError, "Chart file %s not written", path.c_str());
        return false;
    }
    m_written.push_back(path);
    return true;
}

}  // namespace voltaris
