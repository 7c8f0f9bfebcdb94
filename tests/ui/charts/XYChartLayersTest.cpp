// Each layer type draws its items where and in the colours the page asks: bars with per-bar
// colours and labels, logarithmic bars, step lines, areas, x-y curves and horizontal bars.
#include "support/Pixels.h"
#include "ui/charts/XYChart.h"

#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cmath>
#include <vector>

namespace voltaris::charts {
namespace {

using test::countNear;
using test::lightnessAt;
using test::rgbAt;

// A white chart whose plot area covers (left, top) width x height, without grid lines.
XYChart plainChart(int width, int height, int left, int top, int plotWidth, int plotHeight) {
    XYChart chart(width, height, 0xFFFFFF);
    chart.setPlotArea(left, top, plotWidth, plotHeight, 0xFFFFFF, kDefault, kDefault, kTransparent,
                      kTransparent);
    return chart;
}

TEST(XYChartLayers, BarsTakeTheirOwnColoursAndLabels) {
    XYChart chart = plainChart(400, 300, 50, 20, 300, 240);
    chart.yAxis().setLinearScale(0, 40);
    const std::array<double, 3> values{10, 20, 30};
    const std::array<Color, 3> colors{0xFF0000, 0x00C000, 0x0000FF};
    BarLayer& layer = chart.addBarLayer3(values, colors);
    layer.setBarGap(0.2);
    layer.setBorderColor(kDefault, 1);
    layer.setAggregateLabelFormat("{value|1}");
    layer.setAggregateLabelStyle("arialbd.ttf", 10, 0x663300, 0);
    const QImage image = chart.render();
    // Categories 100 px wide, bars 80 px centred on x = 100, 200, 300; tops at the values' rows.
    EXPECT_EQ(rgbAt(image, 100, 230), 0xFF0000u);
    EXPECT_EQ(rgbAt(image, 200, 200), 0x00C000u);
    EXPECT_EQ(rgbAt(image, 300, 150), 0x0000FFu);
    EXPECT_EQ(rgbAt(image, 150, 230), 0xFFFFFFu);  // gap between bars
    EXPECT_EQ(rgbAt(image, 75, 190), 0xFFFFFFu);   // above the first bar (top at row 199)
    // Raised effect: lighter left edge than the bar's middle.
    EXPECT_GT(std::max(lightnessAt(image, 60, 230), lightnessAt(image, 61, 230)),
              lightnessAt(image, 100, 230));
    // Value labels just above each bar.
    for (const QRect& above :
         {QRect(70, 172, 60, 26), QRect(170, 112, 60, 26), QRect(270, 52, 60, 26)}) {
        EXPECT_GT(countNear(image, above, 0x663300, 70), 5) << above.x();
    }
}

TEST(XYChartLayers, LabelsStayInsideTheChart) {
    // A bar reaching the top of a plot area at the chart's edge: its label goes inside the bar.
    XYChart chart = plainChart(200, 200, 20, 0, 160, 180);
    chart.yAxis().setLinearScale(0, 100);
    const std::array<double, 1> values{100};
    BarLayer& layer = chart.addBarLayer(values, 0xC0C0C0);
    layer.setAggregateLabelFormat("{value|2}%\n{field0|1}°");
    const std::array<double, 1> phase{-30};
    layer.addExtraField(phase);
    layer.setAggregateLabelStyle("arialbd.ttf", 9, 0x000000, 0);
    const QImage image = chart.render();
    EXPECT_GT(countNear(image, QRect(60, 2, 80, 34), 0x000000, 60), 10);
}

TEST(XYChartLayers, LogarithmicBarsGrowFromTheBottomDecade) {
    const std::array<double, 4> values{10, 1000, 0.5, 0};
    for (double lower : {0.1, 0.0}) {
        XYChart chart = plainChart(300, 250, 50, 20, 200, 200);
        chart.yAxis().setLogScale(lower, 1000);
        chart.addBarLayer(values, 0x3366CC);
        const ChartScales scales = chart.scales();
        EXPECT_TRUE(scales.y.logarithmic);
        EXPECT_DOUBLE_EQ(scales.y.lower, 0.1);  // from 0.5 when no lower bound is given
        const QImage image = chart.render();
        // Four categories of 50 px; 10 is two of four decades up: row 219 - 100.
        EXPECT_EQ(rgbAt(image, 75, 125), 0x3366CCu) << lower;
        EXPECT_EQ(rgbAt(image, 75, 112), 0xFFFFFFu) << lower;
        EXPECT_EQ(rgbAt(image, 125, 25), 0x3366CCu) << lower;
        EXPECT_EQ(rgbAt(image, 175, 210), 0x3366CCu) << lower;  // 0.5, above the bottom decade
        EXPECT_EQ(countNear(image, QRect(205, 20, 40, 200), 0x3366CC, 0), 0) << lower;  // 0
    }
}

TEST(XYChartLayers, StepLineHoldsEachValueForAWholeStep) {
    XYChart chart = plainChart(300, 200, 20, 20, 200, 100);
    chart.yAxis().setLinearScale(0, 40);
    const std::array<double, 2> values{10, 30};
    chart.addStepLineLayer(values, 0xFF0000, "s").setLineWidth(2);
    EXPECT_DOUBLE_EQ(chart.scales().x.upper, 2);  // the last value gets its own step
    const QImage image = chart.render();
    // x 0..2 over columns 20..220; rows: 10 -> 94, 30 -> 44.
    const auto red = [&](int x, int y) {
        return countNear(image, QRect(x, y - 2, 1, 5), 0xFF0000, 40);
    };
    EXPECT_GT(red(70, 94), 0);
    EXPECT_EQ(red(70, 44), 0);
    EXPECT_GT(red(170, 44), 0);
    EXPECT_EQ(red(170, 94), 0);
    EXPECT_GT(red(215, 44), 0);
    EXPECT_GT(countNear(image, QRect(119, 50, 3, 40), 0xFF0000, 40), 30);  // the riser at x = 1
}

TEST(XYChartLayers, AreaIsFilledDownToZeroAndStacks) {
    XYChart chart = plainChart(300, 200, 20, 20, 200, 100);
    chart.yAxis().setLinearScale(0, 100);
    const std::array<double, 3> lowerSet{20, 20, 20};
    const std::array<double, 3> upperSet{30, 30, 30};
    AreaLayer& layer = chart.addAreaLayer2(CombineMethod::Stack);
    layer.addDataSet(lowerSet, 0x00AA00, "a");
    layer.addDataSet(upperSet, 0xAA00AA, "b");
    const QImage image = chart.render();
    // Rows: 10 -> 109, 35 -> 84, 60 -> 59.
    EXPECT_EQ(rgbAt(image, 120, 109), 0x00AA00u);
    EXPECT_EQ(rgbAt(image, 120, 84), 0xAA00AAu);
    EXPECT_EQ(rgbAt(image, 120, 59), 0xFFFFFFu);
    EXPECT_DOUBLE_EQ(chart.scales().y.upper, 100);
}

TEST(XYChartLayers, XYCurveJoinsPointsInTheirOwnOrder) {
    XYChart chart = plainChart(300, 300, 50, 50, 200, 200);
    chart.xAxis().setLinearScale(-2, 2);
    chart.yAxis().setLinearScale(-2, 2);
    const std::array<double, 5> x{-1, 1, 1, -1, -1};
    const std::array<double, 5> y{-1, -1, 1, 1, -1};
    LineLayer& layer = chart.addLineLayer(y, 0x0000FF);
    layer.setXData(x);
    layer.setLineWidth(2);
    const QImage image = chart.render();
    // The square's sides: x -1 -> 100, 1 -> 200; y -1 -> 199, 1 -> 99.
    const auto blue = [&](int px, int py) {
        return countNear(image, QRect(px - 2, py - 2, 5, 5), 0x0000FF, 40);
    };
    EXPECT_GT(blue(150, 199), 0);
    EXPECT_GT(blue(200, 149), 0);
    EXPECT_GT(blue(150, 99), 0);
    EXPECT_GT(blue(100, 149), 0);
    EXPECT_EQ(blue(150, 149), 0);  // nothing crosses the middle

    // A y value without an x value is left out rather than drawn at a made-up place.
    XYChart extra = plainChart(300, 300, 50, 50, 200, 200);
    extra.xAxis().setLinearScale(-2, 2);
    extra.yAxis().setLinearScale(-2, 2);
    const std::array<double, 6> yLonger{-1, -1, 1, 1, -1, 0};
    extra.addLineLayer(yLonger, 0x0000FF).setXData(x);
    EXPECT_EQ(extra.render(), [&] {
        XYChart same = plainChart(300, 300, 50, 50, 200, 200);
        same.xAxis().setLinearScale(-2, 2);
        same.yAxis().setLinearScale(-2, 2);
        same.addLineLayer(y, 0x0000FF).setXData(x);
        return same.render();
    }());
}

TEST(XYChartLayers, SwappedAxesDrawHorizontalBarsFromTheTop) {
    XYChart chart = plainChart(300, 200, 50, 20, 200, 160);
    chart.swapXY();
    chart.yAxis().setLinearScale(0, 4);
    const std::array<double, 2> values{1, 3};
    chart.addBarLayer(values, 0x008000).setBarGap(0.2);
    chart.xAxis().setLabels({"First", "Second"}).setFontColor(0x0000A0);
    const QImage image = chart.render();
    EXPECT_EQ(rgbAt(image, 75, 60), 0x008000u);
    EXPECT_EQ(rgbAt(image, 125, 60), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 175, 140), 0x008000u);
    EXPECT_EQ(rgbAt(image, 225, 140), 0xFFFFFFu);
    // Category labels on the left, level with their bars.
    EXPECT_GT(countNear(image, QRect(0, 50, 50, 20), 0x0000A0, 60), 3);
    EXPECT_GT(countNear(image, QRect(0, 130, 50, 20), 0x0000A0, 60), 3);
}

TEST(XYChartLayers, OverlappingSideBarsKeepTheFirstOnTop) {
    XYChart chart = plainChart(300, 200, 0, 0, 300, 200);
    chart.yAxis().setLinearScale(0, 10);
    const std::array<double, 1> values{5};
    const std::array<double, 1> limits{8};
    BarLayer& layer = chart.addBarLayer(values, 0x20FF20);
    layer.addDataSet(limits, 0xFFC0C0);
    layer.setOverlapRatio(0.7);
    layer.setBarGap(0.1);
    const QImage image = chart.render();
    // Group of 270 px: bars of 207.7 px, the second shifted right by 62.3 px.
    EXPECT_EQ(rgbAt(image, 150, 150), 0x20FF20u);  // overlap: the first data set shows
    EXPECT_EQ(rgbAt(image, 150, 50), 0xFFC0C0u);   // above the first bar: the second
    EXPECT_EQ(rgbAt(image, 30, 150), 0x20FF20u);
    EXPECT_EQ(rgbAt(image, 270, 150), 0xFFC0C0u);
}

}  // namespace
}  // namespace voltaris::charts
