// The sixteen chart panes of the tab area, controls 1044 to 1059 in a 4 x 4 grid shared by every
// page: a page builder draws into the panes it uses and clears the others.
#pragma once

#include <array>
#include <initializer_list>

#include <QPoint>

#include "ui/pages/ChartSink.h"

class QWidget;

namespace voltaris {

class CChartPane;

class PaneGrid {
public:
    static constexpr int kFirstId = kFirstPaneId;
    static constexpr int kLastId = kLastPaneId;
    static constexpr int kCount = kLastId - kFirstId + 1;

    // Creates the panes on `parent` at their grid positions, above the widgets made before.
    explicit PaneGrid(QWidget& parent);

    // Pane `id`, 1044..1059. An id outside that range is a programming error (checked in debug
    // builds) and gives the first pane.
    [[nodiscard]] CChartPane& pane(int id);
    [[nodiscard]] const CChartPane& pane(int id) const;

    void clearAll();
    // Clears every pane except those listed.
    void clearAllExcept(std::initializer_list<int> keep);

    // Top-left corner of pane `id` in pixels of the window's client area. Rows top to bottom:
    // 1044 1048 1052 1056 / 1046 1050 1054 1058 / 1045 1049 1053 1057 / 1047 1051 1055 1059.
    [[nodiscard]] static QPoint position(int id);

private:
    std::array<CChartPane*, kCount> m_panes{};  // owned by the parent widget
};

}  // namespace voltaris
