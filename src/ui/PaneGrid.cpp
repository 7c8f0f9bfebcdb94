// The grid of chart panes.
#include "ui/PaneGrid.h"

#include <algorithm>
#include <cassert>

#include "ui/DialogUnits.h"
#include "ui/charts/CChartPane.h"

namespace voltaris {

namespace {

constexpr int kColumnsX[4] = {163, 289, 410, 533};  // dialog units
constexpr int kRowsY[4] = {32, 123, 214, 305};
// Grid row of each id within its column of four consecutive ids.
constexpr int kRowOfOffset[4] = {0, 2, 1, 3};

int indexOf(int id) {
    assert(id >= PaneGrid::kFirstId && id <= PaneGrid::kLastId);
    return std::clamp(id, PaneGrid::kFirstId, PaneGrid::kLastId) - PaneGrid::kFirstId;
}

}  // namespace

PaneGrid::PaneGrid(QWidget& parent) {
    for (int id = kFirstId; id <= kLastId; ++id) {
        auto* pane = new CChartPane(&parent);
        pane->setObjectName(QString("pane%1").arg(id));
        pane->move(position(id));
        pane->show();
        m_panes[static_cast<std::size_t>(indexOf(id))] = pane;
    }
}

CChartPane& PaneGrid::pane(int id) {
    return *m_panes[static_cast<std::size_t>(indexOf(id))];
}

const CChartPane& PaneGrid::pane(int id) const {
    return *m_panes[static_cast<std::size_t>(indexOf(id))];
}

void PaneGrid::clearAll() {
    for (CChartPane* pane : m_panes) {
        pane->clearChart();
    }
}

void PaneGrid::clearAllExcept(std::initializer_list<int> keep) {
    for (int id = kFirstId; id <= kLastId; ++id) {
        if (std::find(keep.begin(), keep.end(), id) == keep.end()) {
            pane(id).clearChart();
        }
    }
}

QPoint PaneGrid::position(int id) {
    const int offset = indexOf(id);
    return dlu::point(kColumnsX[offset / 4], kRowsY[kRowOfOffset[offset % 4]]);
}

}  // namespace voltaris
