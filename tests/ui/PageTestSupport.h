// Helpers of the page-builder tests: the window's sixteen panes on a plain widget, a page drawn
// into them or into PNG files under a temporary folder, and colour counts on the images left.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"
#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/charts/CChartPane.h"
#include "ui/charts/Meter.h"
#include "ui/pages/PageTable.h"
#include "support/TempDir.h"

namespace voltaris::test {

struct PageHarness {
    QWidget client;
    PaneGrid panes{client};
    std::unique_ptr<MeasurementSet> m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    PageSelections selections;
    test::TempDir folder;

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
        return static_cast<int>(QDir(QString::fromStdString(folder.path().string())).entryList(QDir::Files).size());
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

// The panes of a window without the window.
struct Panes {
    QWidget client;
    PaneGrid grid{client};
    [[nodiscard]] QImage image(int id) const { return grid.pane(id).image().toImage(); }
};

// Draws `build` from `m` into the panes, or into files named after `prefix` when it is given.
inline PageOutcome DrawPage(PageBuilder build, const MeasurementSet& m,
                            const PageSelections& selections, Panes& panes, PageTexts& texts,
                            const std::string* prefix = nullptr) {
    const StatisticsGrid statistics;
    const PageData data{m, statistics, {}, selections};
    if (prefix != nullptr) {
        FileChartSink files(*prefix);
        return build(data, files, texts);
    }
    PaneSink screen(panes.grid);
    return build(data, screen, texts);
}

// Pixels of `rect` whose RGB channels are each within `tolerance` of `rgb`.
inline int CountColour(const QImage& image, const QRect& rect, unsigned rgb, int tolerance = 0) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - static_cast<int>((rgb >> 16) & 0xFF)) <= tolerance &&
                         std::abs(qGreen(p) - static_cast<int>((rgb >> 8) & 0xFF)) <= tolerance &&
                         std::abs(qBlue(p) - static_cast<int>(rgb & 0xFF)) <= tolerance
                     ? 1
                     : 0;
        }
    }
    return n;
}

// Puts a small meter into pane `id`, standing for what another page left there.
inline void PutMeter(Panes& panes, int id) {
    charts::LinearMeter meter(40, 20);
    ASSERT_TRUE(panes.grid.pane(id).setChart(meter));
}

// Exactly the panes in `used` show an image.
inline void ExpectOnlyPanes(const Panes& panes, std::vector<int> used) {
    for (int id = PaneGrid::kFirstId; id <= PaneGrid::kLastId; ++id) {
        const bool expected = std::find(used.begin(), used.end(), id) != used.end();
        EXPECT_EQ(panes.grid.pane(id).hasImage(), expected) << "pane " << id;
    }
}

// Before any analysed capture the page draws nothing, keeps the panes and writes no file; with a
// capture and a prefix it writes exactly `files` (formats with one "%s") and touches no pane.
inline void ExpectFilesOnlyAfterACapture(PageBuilder build, MeasurementSet& m,
                                         const std::vector<const char*>& files) {
    test::TempDir dir;
    ASSERT_TRUE(dir.valid());
    const std::string prefix = dir.filePath("r_").toStdString();
    Panes panes;
    PutMeter(panes, 1050);
    PageTexts texts;
    const std::uint32_t periods = m.PeriodsAnalysed;
    m.PeriodsAnalysed = 0;
    for (const std::string* p : {static_cast<const std::string*>(nullptr), &prefix}) {
        const PageOutcome outcome = DrawPage(build, m, {}, panes, texts, p);
        EXPECT_FALSE(outcome.drawn);
        EXPECT_TRUE(outcome.ok);
    }
    ExpectOnlyPanes(panes, {1050});
    EXPECT_TRUE(QDir(QString::fromStdString(dir.path().string())).entryList(QDir::Files).isEmpty());

    m.PeriodsAnalysed = periods;
    const PageOutcome outcome = DrawPage(build, m, {}, panes, texts, &prefix);
    EXPECT_TRUE(outcome.drawn);
    EXPECT_TRUE(outcome.ok);
    ExpectOnlyPanes(panes, {1050});
    EXPECT_EQ(QDir(QString::fromStdString(dir.path().string())).entryList(QDir::Files).size(), static_cast<qsizetype>(files.size()));
    for (const char* format : files) {
        const std::string path = ChartFileName(format, prefix);
        EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull()) << path;
    }
}

}  // namespace voltaris::test
