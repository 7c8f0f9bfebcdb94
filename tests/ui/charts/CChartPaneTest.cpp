// The chart pane shows the image of the chart it was given, releases the one it replaces and
// shows nothing once cleared.
#include "ui/charts/CChartPane.h"
#include "ui/charts/SampleCharts.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace voltaris {
namespace {

using charts::samples::vrmsMeter;

TEST(CChartPane, ShowsTheRenderedChartAtItsSize) {
    CChartPane pane;
    EXPECT_FALSE(pane.hasImage());
    const charts::AngularMeter meter = vrmsMeter(231.4);
    ASSERT_TRUE(pane.setChart(meter));
    ASSERT_TRUE(pane.hasImage());
    EXPECT_EQ(pane.image().size(), QSize(145, 145));
    EXPECT_EQ(pane.size(), QSize(145, 145));
    EXPECT_EQ(pane.sizeHint(), QSize(145, 145));
    // What the widget paints is the chart.
    const QImage expected = meter.render().convertToFormat(QImage::Format_RGB32);
    const QImage painted = pane.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), expected.size());
    for (const QPoint& p : {QPoint(0, 0), QPoint(8, 60), QPoint(100, 15), QPoint(40, 90)}) {
        EXPECT_EQ(painted.pixel(p), expected.pixel(p)) << p.x() << "," << p.y();
    }
}

TEST(CChartPane, ReplacingAChartReleasesTheOldImage) {
    CChartPane pane;
    const charts::XYChart big = charts::samples::statBarsChart();
    ASSERT_TRUE(pane.setChart(big));
    QPixmap first = pane.image();
    EXPECT_FALSE(first.isDetached());  // shared with the pane
    const qint64 firstKey = first.cacheKey();

    ASSERT_TRUE(pane.setChart(vrmsMeter(100)));
    EXPECT_TRUE(first.isDetached());  // the pane let go of it
    EXPECT_NE(pane.image().cacheKey(), firstKey);
    EXPECT_EQ(pane.size(), QSize(145, 145));

    // The same chart twice still gives a new image.
    QPixmap second = pane.image();
    ASSERT_TRUE(pane.setChart(vrmsMeter(100)));
    EXPECT_TRUE(second.isDetached());
    EXPECT_NE(pane.image().cacheKey(), second.cacheKey());
}

TEST(CChartPane, ClearingShowsNothing) {
    CChartPane pane;
    ASSERT_TRUE(pane.setChart(vrmsMeter(300)));
    QPixmap shown = pane.image();
    EXPECT_TRUE(pane.setChart(nullptr));
    EXPECT_FALSE(pane.hasImage());
    EXPECT_TRUE(shown.isDetached());

    ASSERT_TRUE(pane.setChart(vrmsMeter(50)));
    pane.clearChart();
    EXPECT_FALSE(pane.hasImage());
    pane.clearChart();  // clearing an empty pane is harmless
    EXPECT_FALSE(pane.hasImage());
}

TEST(CChartPane, ChartThatCannotRenderLeavesThePaneEmpty) {
    CChartPane pane;
    ASSERT_TRUE(pane.setChart(vrmsMeter(300)));
    EXPECT_FALSE(pane.setChart(charts::LinearMeter(0, 22)));
    EXPECT_FALSE(pane.hasImage());
}

}  // namespace
}  // namespace voltaris
