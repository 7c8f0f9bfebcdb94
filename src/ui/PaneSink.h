// The window's chart panes as the sink of a page builder.
#pragma once

#include "ui/pages/ChartSink.h"

namespace voltaris {

class PaneGrid;

class PaneSink final : public ChartSink {
public:
    explicit PaneSink(PaneGrid& panes) : m_panes(panes) {}

    [[nodiscard]] bool onScreen() const override { return true; }
    // Hands the chart to pane `paneId`, which renders and shows it.
    [[nodiscard]] bool put(const charts::Chart& chart, int paneId,
                           const char* fileFormat) override;
    void clearOthers(std::initializer_list<int> keep) override;

private:
    PaneGrid& m_panes;
};

}  // namespace voltaris
