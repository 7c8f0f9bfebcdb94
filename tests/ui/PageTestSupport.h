// Helpers of the page-builder tests: the window's sixteen panes on a plain widget, the page's
// inputs, and a builder drawn into the panes or into PNG files under a temporary folder.
#pragma once

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <string>

#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"
#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/PageTable.h"

namespace voltaris::test {

struct PageHarness {
    QWidget client;
    PaneGrid panes{client};
    std::unique_ptr<MeasurementSet> m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    PageSelections selections;
    QTemporaryDir folder;

    PageOutcome drawOnScreen(PageBuilder build) {
        PaneSink sink(panes);
        PageTexts texts;
        return build({*m, statistics, {}, selections}, sink, texts);
    }
    // Draws into files named prefix + "<name>.png" inside the temporary folder.
    PageOutcome drawToFiles(PageBuilder build, const std::string& prefix = "r_") {
        FileChartSink sink(filePath(prefix));
        PageTexts texts;
        return build({*m, statistics, {}, selections}, sink, texts);
    }
    [[nodiscard]] std::string filePath(const std::string& name) const {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }
    [[nodiscard]] int filesWritten() const {
        return static_cast<int>(QDir(folder.path()).entryList(QDir::Files).size());
    }
    [[nodiscard]] QImage image(int pane) const {
        return panes.pane(pane).image().toImage().convertToFormat(QImage::Format_ARGB32);
    }
    // Panes that show an image.
    [[nodiscard]] int panesShown() const {
        int n = 0;
        for (int id = PaneGrid::kFirstId; id <= PaneGrid::kLastId; ++id) {
            n += panes.pane(id).hasImage() ? 1 : 0;
        }
        return n;
    }
};

}  // namespace voltaris::test
