// The VA graph page builder: current against voltage in sample order, the U and I scale lists on
// the two axes, panes and files.
#include <gtest/gtest.h>

#include <cmath>

#include "PageTestSupport.h"
#include "ui/pages/VAGraphPage.h"

namespace voltaris::test {

namespace {

// Two periods of 325 V peak with a current of 1.414 A peak shifted by `shift` radians.
std::unique_ptr<MeasurementSet> load(double shift) {
    auto m = std::make_unique<MeasurementSet>();
    m->PeriodsAnalysed = 2;
    for (std::size_t k = 0; k < 2 * kSamplesPerPeriod; ++k) {
        const double w = 2 * M_PI * static_cast<double>(k) / kSamplesPerPeriod;
        m->Voltage[k] = 325 * std::sin(w);
        m->Current[k] = 1.414 * std::sin(w + shift);
    }
    return m;
}

bool isCurve(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 150 && qBlue(p) < 150;
}

// Rows of column x where the curve shows.
std::vector<int> curveRows(const QImage& image, int x) {
    std::vector<int> rows;
    for (int y = 30; y < 540; ++y) {
        if (isCurve(image.pixel(x, y))) {
            rows.push_back(y);
        }
    }
    return rows;
}

// Pixels of the plot area (70, 30, 600 x 510) on the scales +-400 V and +-2 A.
double column(double volts) {
    return 70 + (volts + 400) / 800 * 600;
}
double row(double amperes) {
    return 30 + (2 - amperes) / 4 * 510;
}

}  // namespace

TEST(VAGraphPage, ResistiveLoadIsAStraightLineThroughTheOriginReactiveAnEllipse) {
    const PageSelections s = [] {
        PageSelections p;
        p.scales = {4, 8, 0};  // +-400 V, +-2 A
        return p;
    }();
    Panes panes;
    PutMeter(panes, 1059);
    PageTexts texts;
    EXPECT_TRUE(DrawPage(DrawChartVAGraph, *load(0), s, panes, texts).ok);
    ExpectOnlyPanes(panes, {1044});
    const QImage line = panes.image(1044);
    ASSERT_EQ(line.size(), QSize(700, 600));
    for (double volts : {-300.0, -150.0, -40.0, 0.0, 75.0, 200.0, 310.0}) {
        const double expected = row(volts * 1.414 / 325);
        const std::vector<int> rows = curveRows(line, static_cast<int>(column(volts)));
        ASSERT_FALSE(rows.empty()) << volts;
        EXPECT_GE(rows.front(), expected - 3) << volts;
        EXPECT_LE(rows.back(), expected + 3) << volts;
    }
    EXPECT_TRUE(isCurve(line.pixel(370, 285)));  // the origin

    // A current leading by 90 degrees: an ellipse, crossing V = 0 at +-1.414 A, not at 0.
    EXPECT_TRUE(DrawPage(DrawChartVAGraph, *load(M_PI / 2), s, panes, texts).ok);
    const std::vector<int> rows = curveRows(panes.image(1044), 370);
    ASSERT_FALSE(rows.empty());
    for (int y : rows) {
        EXPECT_TRUE(std::abs(y - row(1.414)) <= 4 || std::abs(y - row(-1.414)) <= 4) << y;
    }
}

TEST(VAGraphPage, AxesFollowTheScaleListsAndTheCurveKeepsEverySample) {
    auto m = load(0.3);
    m->PeriodsAnalysed = 85;
    const charts::XYChart fixed = MakeVAGraphChart(*m, {2, 6, 0});  // 200V, 500mA
    const charts::ChartScales scales = fixed.scales();
    EXPECT_DOUBLE_EQ(scales.x.lower, -200);
    EXPECT_DOUBLE_EQ(scales.x.upper, 200);
    EXPECT_DOUBLE_EQ(scales.x.majorStep, 25);
    EXPECT_DOUBLE_EQ(scales.y.lower, -0.5);
    EXPECT_DOUBLE_EQ(scales.y.upper, 0.5);
    EXPECT_DOUBLE_EQ(scales.y.majorStep, 0.1);
    const charts::Layer& layer = *fixed.layers().front();
    ASSERT_EQ(layer.dataSets().size(), 1u);
    EXPECT_EQ(layer.dataSets()[0].values().size(), 85 * kSamplesPerPeriod);
    EXPECT_EQ(layer.xData().size(), 85 * kSamplesPerPeriod);
    EXPECT_EQ(layer.dataSets()[0].color(), 0xFF3333u);
    EXPECT_EQ(layer.lineWidth(), 2);
    EXPECT_EQ(fixed.xAxis().title().text(), "V (V)");
    EXPECT_EQ(fixed.yAxis().title().text(), "I (A)");

    // "Auto" on both: the data decide, and the whole curve fits.
    const charts::ChartScales automatic = MakeVAGraphChart(*m, {}).scales();
    EXPECT_LE(automatic.x.lower, -325);
    EXPECT_GE(automatic.x.upper, 325);
    EXPECT_GE(automatic.y.upper, 1.4);
}

TEST(VAGraphPage, DrawsOnlyAfterACaptureAndWritesItsFile) {
    auto m = load(0);
    ExpectFilesOnlyAfterACapture(DrawChartVAGraph, *m, {kVAGraphFile});
    EXPECT_STREQ(kVAGraphFile, "%sXYVoltageCurrent.png");
}

}  // namespace voltaris::test
