// Charts shown in the window's panes.
#include "ui/PaneSink.h"

#include "infra/Log.h"
#include "ui/PaneGrid.h"
#include "ui/charts/CChartPane.h"

namespace voltaris {

bool PaneSink::put(const charts::Chart& chart, int paneId, const char* fileFormat) {
    (void)fileFormat;
    if (paneId < PaneGrid::kFirstId || paneId > PaneGrid::kLastId) {
        LogMessage("voltaris", LogError, "Chart for pane %d: no such pane", paneId);
        return false;
    }
    if (!m_panes.pane(paneId).setChart(chart)) {
        LogMessage("voltaris", LogError, "Chart not shown in pane %d", paneId);
        return false;
    }
    return true;
}

void PaneSink::clearOthers(std::initializer_list<int> keep) {
    m_panes.clearAllExcept(keep);
}

}  // namespace voltaris
