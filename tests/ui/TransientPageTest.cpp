// The Transient analysis page: four step charts of the per-period series with the scale lists'
// full scales, into panes or report files; and every page of this group before any capture.
#include <gtest/gtest.h>

#include <QColor>

#include "PageTestSupport.h"
#include "ui/pages/MeasurementsPage.h"
#include "ui/pages/StatisticsPage.h"
#include "ui/pages/TransientPage.h"

namespace voltaris::test {

namespace {

bool isRed(const QImage& image, int x, int y) {
    const QColor c(image.pixel(x, y));
    return c.red() > 200 && c.green() < 90 && c.blue() < 90;
}

// Runs of red pixels along row y of the plot area (x 30 to 690).
int redRuns(const QImage& image, int y) {
    int runs = 0;
    for (int x = 31; x < 690; ++x) {
        runs += isRed(image, x, y) && !isRed(image, x - 1, y) ? 1 : 0;
    }
    return runs;
}

// Topmost row of the plot area (y 30 to 125) where the red line crosses column 300.
int redLineRow(const QImage& image) {
    for (int y = 28; y < 128; ++y) {
        if (isRed(image, 300, y)) {
            return y;
        }
    }
    return -1;
}

}  // namespace

TEST(TransientPage, AxesFollowTheScaleListsAndThePowerFactorRunsFrom0To1) {
    PageHarness h;
    h.m->PeriodsAnalysed = 10;
    h.m->PeriodVpeak.fill(300);
    h.m->PeriodPF.fill(0.5);
    h.selections.scales.u = 3;  // "300V": 300 V at the top of the plot area
    ASSERT_TRUE(h.drawOnScreen(DrawChartInrush).ok);
    EXPECT_NEAR(redLineRow(h.image(1044)), 30, 2);
    EXPECT_NEAR(redLineRow(h.image(1047)), 30 + 95 / 2, 2);
    h.selections.scales.u = 4;  // "400V"
    ASSERT_TRUE(h.drawOnScreen(DrawChartInrush).ok);
    EXPECT_NEAR(redLineRow(h.image(1044)), 125 - 95 * 3 / 4, 2);
    h.selections.scales.u = 0;  // "Auto": the scale extends above the data
    ASSERT_TRUE(h.drawOnScreen(DrawChartInrush).ok);
    EXPECT_GT(redLineRow(h.image(1044)), 34);
    EXPECT_NEAR(redLineRow(h.image(1047)), 30 + 95 / 2, 2);
}

TEST(TransientPage, TenPeriodsDrawTenSteps) {
    PageHarness h;
    h.m->PeriodsAnalysed = 10;
    for (std::size_t k = 0; k < 11; ++k) {  // the eleventh value is not analysed: not drawn
        h.m->PeriodVpeak[k] = k % 2 == 0 ? 300 : 100;
    }
    h.selections.scales.u = 4;  // 0 to 400 V
    h.panes.pane(1059).setChart(MakeAngularMeter(MeasureDials().front().dial, 1));
    ASSERT_TRUE(h.drawOnScreen(DrawChartInrush).ok);
    EXPECT_EQ(h.panesShown(), 4);
    const QImage voltage = h.image(1044);
    ASSERT_EQ(voltage.size(), QSize(700, 140));
    // Nine risers between ten steps (an eleventh value would add a tenth).
    EXPECT_EQ(redRuns(voltage, 125 - 95 / 2), 9);
}

TEST(TransientPage, WritesFourReportImagesWithTheFileLegend) {
    PageHarness h;
    h.m->PeriodsAnalysed = 3;
    ASSERT_TRUE(h.drawOnScreen(DrawChartInrush).ok);
    ASSERT_TRUE(h.drawToFiles(DrawChartInrush, "rep_").ok);
    EXPECT_EQ(h.filesWritten(), 4);
    const auto file = [&](const char* name) {
        return QImage(QString::fromStdString(h.filePath(name)))
            .convertToFormat(QImage::Format_ARGB32);
    };
    // The same charts as on screen, except the voltage legend's "Vrms(V)".
    const QImage voltage = file("rep_InrushVoltage.png");
    const QRect legend(0, 0, 700, 28);
    const QRect plot(0, 28, 700, 112);
    EXPECT_EQ(voltage.copy(plot), h.image(1044).copy(plot));
    EXPECT_NE(voltage.copy(legend), h.image(1044).copy(legend));
    EXPECT_EQ(file("rep_InrushCurrent.png"), h.image(1046));
    EXPECT_EQ(file("rep_InrushPower.png"), h.image(1045));
    EXPECT_EQ(file("rep_InrushPfactor.png"), h.image(1047));
    // A folder that does not exist: reported as not written.
    EXPECT_FALSE(h.drawToFiles(DrawChartInrush, "missing/rep_").ok);
}

TEST(PagesBeforeAnyCapture, StayEmptyAndWriteNoFile) {
    PageHarness h;
    h.statistics.add(kStatVrms, 230);
    h.panes.pane(1046).setChart(MakeAngularMeter(MeasureDials().front().dial, 1));
    const qint64 kept = h.panes.pane(1046).image().cacheKey();
    for (PageBuilder build : {DrawChartMeasure, DrawChartStatistics, DrawChartInrush}) {
        const PageOutcome screen = h.drawOnScreen(build);
        const PageOutcome files = h.drawToFiles(build);
        EXPECT_FALSE(screen.drawn || files.drawn);
        EXPECT_TRUE(screen.ok && files.ok);
    }
    EXPECT_EQ(h.panesShown(), 1);
    EXPECT_EQ(h.panes.pane(1046).image().cacheKey(), kept);
    // The dials and bars have no report image: after a capture they still write nothing.
    h.m->PeriodsAnalysed = 2;
    EXPECT_TRUE(h.drawToFiles(DrawChartMeasure).drawn);
    EXPECT_TRUE(h.drawToFiles(DrawChartStatistics).drawn);
    EXPECT_EQ(h.filesWritten(), 0);
}

}  // namespace voltaris::test
