// XY charts render at their size, colours and plot area, with lines on the right axis and scale,
// and write PNG files.
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "ui/charts/XYChart.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <vector>

namespace voltaris::charts {
namespace {

using test::countNear;
using test::lightnessAt;
using test::rgbAt;

constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kRed = 0xC00000;

// Rows where a line of `color` crosses column x, inside [top, bottom].
bool lineNear(const QImage& image, int x, int row, std::uint32_t color, int within = 2) {
    return countNear(image, QRect(x, row - within, 1, 2 * within + 1), color, 40) > 0;
}

// The frame of the Waveforms page: 700 x 280, plot area at (40, 30) 620 x 220, axis colours of
// the voltage/current chart (without them the secondary axis stays hidden).
XYChart waveformFrame(bool axisColors = true) {
    XYChart chart(700, 280, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(40, 30, 620, 220, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(50, 2, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    if (axisColors) {
        chart.yAxis().setColors(kGreen, kGreen, kGreen, kDefault);
        chart.yAxis2().setColors(kRed, kRed, kRed, kDefault);
    }
    return chart;
}

// Voltage held at 50 V on +-100 V, current at -0.5 A on +-1 A (secondary axis).
XYChart constantWaveforms() {
    XYChart chart = waveformFrame();
    chart.yAxis().setLinearScale(-100, 100, 20, 0);
    chart.yAxis2().setLinearScale(-1, 1, 0.25, 0);
    const std::vector<double> voltage(1000, 50.0);
    const std::vector<double> current(1000, -0.5);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    layer.addDataSet(voltage, kGreen, "Voltage (V)");
    layer.addDataSet(current, kRed, "Current (A)").setUseYAxis2();
    return chart;
}

// Row of value v on a vertical axis from lower to upper over the plot rows 30..249.
int rowOf(double v, double lower, double upper) {
    return static_cast<int>(std::lround(249 - (v - lower) / (upper - lower) * 220));
}

TEST(XYChartRender, FrameBackgroundsAndGridAtTheirPixels) {
    const QImage image = constantWaveforms().render();
    ASSERT_EQ(image.size(), QSize(700, 280));
    EXPECT_EQ(rgbAt(image, 690, 15), 0xEEEEFFu);  // chart background
    for (const QPoint& p : {QPoint(0, 140), QPoint(699, 140), QPoint(350, 0), QPoint(350, 279)}) {
        EXPECT_EQ(rgbAt(image, p.x(), p.y()), 0x000000u) << p.x() << "," << p.y();
    }
    // Raised effect: light top-left inside the edge, dark bottom-right.
    EXPECT_GT(lightnessAt(image, 1, 140), lightnessAt(image, 5, 140));
    EXPECT_LT(lightnessAt(image, 698, 140), lightnessAt(image, 690, 140));
    EXPECT_GT(lightnessAt(image, 350, 1), lightnessAt(image, 350, 5));
    // Plot area: white between grid lines, grid colour on the tick rows, starting at (40, 30).
    EXPECT_EQ(rgbAt(image, 70, 40), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 655, 35), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 45, 30), 0xFFFFFFu);
    EXPECT_NE(rgbAt(image, 45, 29), 0xFFFFFFu);
    EXPECT_GT(countNear(image, QRect(70, rowOf(80, -100, 100) - 1, 1, 3), 0xCCCCCC, 0), 0);
    EXPECT_GT(countNear(image, QRect(101, 40, 3, 1), 0xCCCCCC, 0), 0);  // x tick 100
}

TEST(XYChartRender, LinesFollowTheirOwnAxis) {
    const QImage image = constantWaveforms().render();
    const int voltageRow = rowOf(50, -100, 100);
    const int currentRow = rowOf(-0.5, -1, 1);
    for (int x : {60, 300, 640}) {
        EXPECT_TRUE(lineNear(image, x, voltageRow, kGreen)) << x;
        EXPECT_TRUE(lineNear(image, x, currentRow, kRed)) << x;
        // On the primary axis the current would lie near 0 V, the middle of the plot.
        EXPECT_FALSE(lineNear(image, x, rowOf(-0.5, -100, 100), kRed, 4)) << x;
    }
    // Axis lines and labels take the axis colours: green left, red right.
    EXPECT_GT(countNear(image, QRect(38, 120, 4, 1), kGreen, 0), 0);
    EXPECT_GT(countNear(image, QRect(658, 120, 4, 1), kRed, 0), 0);
    EXPECT_GT(countNear(image, QRect(2, 30, 35, 220), kGreen, 60), 20);
    EXPECT_GT(countNear(image, QRect(662, 30, 36, 220), kRed, 60), 20);
    // Legend keys at (50, 2).
    EXPECT_GT(countNear(image, QRect(50, 2, 300, 22), kGreen, 10), 10);
    EXPECT_GT(countNear(image, QRect(50, 2, 300, 22), kRed, 10), 10);
}

TEST(XYChartRender, FixedScaleClipsAndAutomaticScaleFitsTheData) {
    std::vector<double> sine(2000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = 325 * std::sin(2 * M_PI * static_cast<double>(i) / 256);
    }
    XYChart fixed = waveformFrame(false);
    fixed.yAxis().setLinearScale(-100, 100, 20, 0);
    fixed.addLineLayer(sine, kGreen).setLineWidth(2);
    const ChartScales fixedScales = fixed.scales();
    EXPECT_DOUBLE_EQ(fixedScales.y.lower, -100);
    EXPECT_DOUBLE_EQ(fixedScales.y.upper, 100);
    EXPECT_FALSE(fixedScales.y2Shown);
    const QImage clipped = fixed.render();
    EXPECT_GT(countNear(clipped, QRect(300, 30, 300, 2), kGreen, 40), 0);
    EXPECT_EQ(countNear(clipped, QRect(300, 22, 300, 7), kGreen, 40), 0);  // nothing above

    // Automatic-scale margins given after a fixed scale leave the fixed scale in place.
    XYChart fixedThenMargins = waveformFrame(false);
    fixedThenMargins.yAxis().setLinearScale(0, 0.5);
    fixedThenMargins.yAxis().setAutoScale(0.15, 0.1, 0.8);
    fixedThenMargins.addLineLayer(sine, kGreen);
    EXPECT_DOUBLE_EQ(fixedThenMargins.scales().y.lower, 0);
    EXPECT_DOUBLE_EQ(fixedThenMargins.scales().y.upper, 0.5);

    XYChart automatic = waveformFrame();
    automatic.yAxis().setAutoScale(0.1, 0.1, 0.8);
    automatic.addLineLayer(sine, kGreen).setLineWidth(2);
    const ChartScales autoScales = automatic.scales();
    EXPECT_LT(autoScales.y.lower, -325);
    EXPECT_GT(autoScales.y.upper, 325);
    EXPECT_DOUBLE_EQ(autoScales.x.lower, 0);
    EXPECT_DOUBLE_EQ(autoScales.x.upper, 1999);  // the sample index, starting at 0
    const QImage fitted = automatic.render();
    const int peakRow = rowOf(325, autoScales.y.lower, autoScales.y.upper);
    EXPECT_GT(peakRow, 32);
    EXPECT_GT(countNear(fitted, QRect(40, peakRow - 2, 620, 5), kGreen, 40), 0);
    EXPECT_EQ(countNear(fitted, QRect(300, 30, 300, peakRow - 33), kGreen, 40), 0);
}

TEST(XYChartRender, WritesPngFilesAndReportsFailures) {
    test::TempDir dir;
    ASSERT_TRUE(dir.valid());
    const XYChart chart = constantWaveforms();
    const std::string path = dir.filePath("WaveVoltageCurrent.png").toStdString();
    ASSERT_TRUE(chart.renderToPng(path));
    QImage loaded;
    ASSERT_TRUE(loaded.load(QString::fromStdString(path), "PNG"));
    EXPECT_EQ(loaded.size(), QSize(700, 280));
    const QImage rendered = chart.render();
    for (const QPoint& p : {QPoint(0, 0), QPoint(70, 40), QPoint(300, rowOf(50, -100, 100))}) {
        EXPECT_EQ(loaded.pixel(p), rendered.pixel(p));
    }
    EXPECT_FALSE(chart.renderToPng(dir.filePath("missing/folder/x.png").toStdString()));
    EXPECT_FALSE(chart.renderToPng(""));
}

TEST(XYChartRender, InvalidSizesRenderNothing) {
    EXPECT_TRUE(XYChart(0, 100).render().isNull());
    EXPECT_TRUE(XYChart(100, -5).render().isNull());
    EXPECT_TRUE(XYChart(100000, 10).render().isNull());
    test::TempDir dir;
    EXPECT_FALSE(XYChart(0, 0).renderToPng(dir.filePath("none.png").toStdString()));
    // No layer at all is a valid, empty chart.
    const QImage empty = XYChart(120, 80, 0x336699).render();
    ASSERT_EQ(empty.size(), QSize(120, 80));
    EXPECT_EQ(rgbAt(empty, 2, 2), 0x336699u);
}

TEST(XYChartRender, DataIsCopiedWhenAdded) {
    std::vector<double> values(50, 50.0);
    XYChart chart = waveformFrame();
    chart.yAxis().setLinearScale(-100, 100, 20, 0);
    chart.addLineLayer(values, kGreen).setLineWidth(2);
    std::fill(values.begin(), values.end(), -50.0);
    const QImage image = chart.render();
    EXPECT_TRUE(lineNear(image, 300, rowOf(50, -100, 100), kGreen));
    EXPECT_FALSE(lineNear(image, 300, rowOf(-50, -100, 100), kGreen));
}

TEST(XYChartRender, CopiesAreIndependent) {
    XYChart original = waveformFrame();
    original.yAxis().setLinearScale(-100, 100, 20, 0);
    XYChart copy = original;
    const std::vector<double> values(10, 50.0);
    copy.addLineLayer(values, kGreen).setLineWidth(2);
    EXPECT_TRUE(original.layers().empty());
    EXPECT_EQ(copy.layers().size(), 1u);
    EXPECT_FALSE(lineNear(original.render(), 300, rowOf(50, -100, 100), kGreen));
    XYChart assigned(10, 10);
    assigned = copy;
    EXPECT_TRUE(lineNear(assigned.render(), 300, rowOf(50, -100, 100), kGreen));
}

TEST(XYChartRender, NanValuesLeaveAGap) {
    XYChart chart(240, 140, 0xFFFFFF);
    chart.setPlotArea(20, 20, 200, 100, 0xFFFFFF, kDefault, kDefault, kTransparent);
    chart.yAxis().setLinearScale(0, 100);
    const std::vector<double> values{50, 50, NAN, NAN, 50, 50};
    chart.addLineLayer(values, 0xFF0000).setLineWidth(2);
    const QImage image = chart.render();
    // x from 0 to 5 over columns 20..220; y(50) at row 69.
    EXPECT_GT(countNear(image, QRect(40, 66, 1, 7), 0xFF0000, 40), 0);
    EXPECT_GT(countNear(image, QRect(200, 66, 1, 7), 0xFF0000, 40), 0);
    EXPECT_EQ(countNear(image, QRect(120, 20, 1, 100), 0xFF0000, 40), 0);
}

TEST(XYChartRender, PlotAreaAlternateBandsEdgeAndTransparency) {
    XYChart chart(200, 200, 0xEEEEFF);
    chart.setPlotArea(20, 20, 160, 160, 0xFFFFFF, 0xDDEEFF, 0x000000, kTransparent, kTransparent);
    chart.yAxis().setLinearScale(0, 100, 20);
    const std::vector<double> values{90, 90};
    chart.addLineLayer(values, 0xFF0000);
    const QImage image = chart.render();
    // Rows of 30, 50 and 70 on 0..100 over rows 20..179.
    EXPECT_EQ(rgbAt(image, 100, 131), 0xDDEEFFu);
    EXPECT_EQ(rgbAt(image, 100, 99), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 100, 67), 0xDDEEFFu);
    EXPECT_EQ(rgbAt(image, 100, 163), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 100, 20), 0x000000u);   // plot edge, top
    EXPECT_EQ(rgbAt(image, 179, 100), 0x000000u);  // plot edge, right

    XYChart clear(200, 200, 0xEEEEFF);
    clear.setPlotArea(20, 20, 160, 160, kTransparent, kTransparent, kTransparent, kTransparent,
                      kTransparent);
    EXPECT_EQ(rgbAt(clear.render(), 100, 100), 0xEEEEFFu);
}

TEST(XYChartRender, CustomLabelMarksAnExistingItemOnly) {
    const auto build = [](int index, bool label) {
        XYChart chart(240, 140, 0xFFFFFF);
        chart.setPlotArea(20, 30, 200, 90, 0xFFFFFF, kDefault, kDefault, kTransparent);
        chart.yAxis().setLinearScale(0, 100);
        const std::vector<double> values{20, 40};
        LineLayer& layer = chart.addLineLayer(values, 0x0000FF);
        if (label) {
            layer.addCustomDataLabel(0, index, "End", "arialbd.ttf", 8, 0x00A000, 0);
        }
        return chart.render();
    };
    const QImage plain = build(0, false);
    const QImage marked = build(1, true);
    // "End" above the last point (x 220, y of 40 at row 83).
    EXPECT_GT(countNear(marked, QRect(190, 60, 45, 22), 0x00A000, 60), 5);
    EXPECT_EQ(countNear(plain, QRect(190, 60, 45, 22), 0x00A000, 60), 0);
    EXPECT_EQ(build(2, true), plain);  // past the last item
    EXPECT_EQ(build(-1, true), plain);
}

}  // namespace
}  // namespace voltaris::charts
