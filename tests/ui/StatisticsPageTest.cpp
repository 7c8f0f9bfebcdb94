// The Statistics page: five horizontal bars per quantity (Min, --Sdev, Avg, +Sdev, Max) from
// the statistics since the last reset, measured on the rendered image.
#include <gtest/gtest.h>

#include <array>

#include "PageTestSupport.h"
#include "ui/pages/StatisticsPage.h"

namespace voltaris::test {

namespace {

// Green pixels inside the 66-pixel-wide plot area (from x = 43) along the middle row of bar k
// (0: Min at the top, to 4: Max); the five categories share the plot area's 80 pixels.
int barLength(const QImage& image, int k) {
    int n = 0;
    for (int x = 44; x < 43 + 66; ++x) {
        n += (image.pixel(x, 38 + 8 + 16 * k) & 0xFFFFFF) == 0x008000 ? 1 : 0;
    }
    return n;
}

}  // namespace

TEST(StatisticsPage, BarsShowTheStatisticsOfEachQuantity) {
    PageHarness h;
    h.m->PeriodsAnalysed = 10;
    for (double v : {200.0, 200.0, 300.0}) {  // min 200, avg 233.3, sdev 47.1, max 300
        h.statistics.add(kStatVrms, v);
    }
    h.statistics.add(kStatIrms, 2.5);  // one capture since the reset: sdev 0
    h.panes.pane(1059).setChart(MakeStatBars("x", {}, 0, 1));
    const PageOutcome outcome = h.drawOnScreen(DrawChartStatistics);
    EXPECT_TRUE(outcome.drawn && outcome.ok);
    EXPECT_EQ(h.panesShown(), 15);
    EXPECT_FALSE(h.panes.pane(1059).hasImage());
    EXPECT_EQ(h.panes.pane(1051).image().size(), QSize(145, 145));

    // Lengths in proportion to the values on the table's axis, 66 pixels for 0 to 400 V.
    const std::array<double, 5> vrms = {200, 186.19, 233.33, 280.47, 300};
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(barLength(h.image(1044), k), vrms[k] / 400 * 66, 2) << k;
    }
    // No deviation: the three middle bars (and all five) are as long, 2.5 A on 0 to 5 A.
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(barLength(h.image(1046), k), 33, 2) << k;
        EXPECT_EQ(barLength(h.image(1046), k), barLength(h.image(1046), 2)) << k;
    }
}

TEST(StatisticsPage, DeviationAboveTheAverageGivesANegativeBar) {
    StatAccumulator s;
    for (double x : {0.1, 0.1, 0.1, 4.0}) {
        s.add(x);
    }
    ASSERT_GT(s.sdev, s.avg);
    const charts::XYChart chart = MakeStatBars("Irms (A)", s, 0, 5);
    // Charted unchanged, not clamped to the axis: the bar lies below the axis start, none of
    // it inside the plot area, unlike the Max bar.
    EXPECT_DOUBLE_EQ(chart.layers().front()->dataSets().front().values()[1], s.avg - s.sdev);
    const QImage image = chart.render().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(barLength(image, 1), 0);
    EXPECT_NEAR(barLength(image, 4), 4.0 / 5 * 66, 2);
}

}  // namespace voltaris::test
