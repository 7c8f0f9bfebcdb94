// The Harmonic analysis page builder: display modes and their axes, 13 or 40 orders, the limit
// check's bar colours and limit bars, the value labels, the texts kept for the window and the
// report, panes and files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PageTestSupport.h"
#include "ui/charts/LabelFormat.h"
#include "ui/pages/HarmonicsPage.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris::test {

namespace {

constexpr unsigned kGreen = 0x20FF20;
constexpr unsigned kRed = 0xFF2020;
constexpr unsigned kLimitPink = 0xFFC0C0;
constexpr unsigned kLabelBrown = 0x663300;

// The plot area of a chart: 560 px wide from x = 55, 245 px high from y = 15.
constexpr int kPlotLeft = 55;
constexpr int kPlotBottom = 259;

// A load drawing 0.45 A at 100 W with odd harmonics, in every view of the page.
std::unique_ptr<MeasurementSet> harmonicMeasurement() {
    auto m = std::make_unique<MeasurementSet>();
    m->PeriodsAnalysed = 10;
    m->Prms = 100;
    m->PF = 0.9;
    for (std::size_t h = 0; h < kHarmonicCount; ++h) {
        const bool odd = h % 2 == 1;
        const double pct = h == 1 ? 100 : (odd ? 40.0 / static_cast<double>(h) : 0.5);
        m->HarmV[h] = pct * 2.3;
        m->HarmI[h] = pct * 0.0045;
        m->HarmVPctRms[h] = m->HarmIPctRms[h] = m->HarmVPctH1[h] = m->HarmIPctH1[h] = pct;
        m->PhaseV[h] = -10.0 * static_cast<double>(h);
        m->PhaseI[h] = -12.5 * static_cast<double>(h);
    }
    return m;
}

PageSelections selection(int mode, int limitClass, int count = 0) {
    PageSelections s;
    s.harmonics = {mode, limitClass};
    s.harmonicsCount = count;
    return s;
}

// Left edge of category `order` when 14 orders share the plot area (40 px each).
int category(int order) {
    return kPlotLeft + 40 * order;
}

// Row of value v on the logarithmic axis from 0.01 to 100.
int logRow(double v) {
    return static_cast<int>(kPlotBottom - (std::log10(v) + 2) / 4 * 245);
}

// The fill of a passing bar or the bevel of its edges.
bool isBarGreen(QRgb p) {
    return qGreen(p) > qRed(p) + 60 && qGreen(p) > qBlue(p) + 60;
}

}  // namespace

TEST(HarmonicsPage, ClassCInH1LogShowsLimitBarsRedFailuresAndNoLabels) {
    auto m = harmonicMeasurement();
    m->HarmIPctH1[3] = 50;  // limit 30 x PF = 27: fails
    m->HarmIPctH1[5] = 5;   // limit 10: passes, its limit bar shows above it
    m->HarmIPctH1[7] = 8;   // limit 7: fails, but 3 is reported
    Panes panes;
    PutMeter(panes, 1052);
    PageTexts texts;
    const PageOutcome outcome =
        DrawPage(DrawChartHarmonics, *m, selection(kModeH1Log, kClassC), panes, texts);
    EXPECT_TRUE(outcome.drawn);
    EXPECT_TRUE(outcome.ok);
    ExpectOnlyPanes(panes, {1044, 1045});
    EXPECT_EQ(texts.harmonicsResult, "FAILED, harmonic 3, actual 50.000000 > limit 27.000000");
    EXPECT_EQ(texts.harmonicVerdict, texts.harmonicsResult);
    EXPECT_EQ(texts.harmonicLimitName, "IEC 61000-3-2 edition 2.2 Class C");

    const QImage current = panes.image(1045);
    ASSERT_EQ(current.size(), QSize(630, 286));
    // The harmonic's bar sits left in its category, the limit bar right behind it.
    const auto barPixel = [&](int order, double v) {
        return current.pixel(category(order) + 14, logRow(v)) & 0xFFFFFF;
    };
    EXPECT_EQ(barPixel(3, 1), kRed);
    EXPECT_EQ(barPixel(7, 1), kRed);
    EXPECT_EQ(barPixel(5, 1), kGreen);
    EXPECT_EQ(barPixel(1, 1), kGreen);  // no limit for the fundamental
    EXPECT_GT(CountColour(current, QRect(category(5) + 32, logRow(3), 4, 10), kLimitPink, 8), 30);
    EXPECT_EQ(CountColour(current, QRect(category(1) + 30, 15, 10, 240), kLimitPink, 8), 0);
    EXPECT_EQ(CountColour(current, current.rect(), kLabelBrown, 30), 0);
    // The voltage chart has no limits, so it is labelled and has no limit bars.
    const QImage voltage = panes.image(1044);
    EXPECT_GT(CountColour(voltage, voltage.rect(), kLabelBrown, 30), 20);
    EXPECT_EQ(CountColour(voltage, voltage.rect(), kLimitPink, 8), 0);

    // The same class in the "Absolute" mode does not apply: "n/a" and every bar green.
    DrawPage(DrawChartHarmonics, *m, selection(kModeAbsolute, kClassC), panes, texts);
    EXPECT_EQ(texts.harmonicsResult, "n/a");
    EXPECT_EQ(CountColour(panes.image(1045), current.rect(), kRed, 0), 0);
    DrawPage(DrawChartHarmonics, *m, selection(kModeAbsolute, kNoLimits), panes, texts);
    EXPECT_EQ(texts.harmonicLimitName, "N/A");
}

TEST(HarmonicsPage, FortyPointsShowFortyOneBarsWithoutLabels) {
    auto m = harmonicMeasurement();
    for (double& v : m->HarmVPctRms) {
        v = 50;
    }
    const auto charts = MakeHarmonicsCharts(*m, selection(kModeTotalLin, kNoLimits, 1));
    ASSERT_TRUE(charts.has_value());
    const charts::XYChart& chart = charts->voltage.chart;
    const std::vector<std::string>& labels = chart.xAxis().labels();
    ASSERT_EQ(labels.size(), 41u);
    EXPECT_EQ(labels[0], "D");
    EXPECT_EQ(labels[1], "H1");
    EXPECT_EQ(labels[2], "");
    EXPECT_EQ(labels[39], "H39");
    EXPECT_EQ(labels[40], "");
    EXPECT_TRUE(chart.layers().front()->aggregateLabelFormat().empty());

    const QImage image = chart.render();
    // 41 categories of 560 / 41 px, each with a bar at its centre.
    EXPECT_EQ(chart.layers().front()->dataSets().front().values().size(), 41u);
    int bars = 0;
    for (int order = 0; order < 41; ++order) {
        const int x = kPlotLeft + static_cast<int>((order + 0.5) * 560 / 41);
        bars += isBarGreen(image.pixel(x, 200)) ? 1 : 0;
    }
    EXPECT_EQ(bars, 41);
    EXPECT_EQ(CountColour(image, image.rect(), kLabelBrown, 30), 0);

    // Thirteen points without limits: fourteen bars, each labelled with its value, unit and
    // phase in the decimals of its quantity.
    const auto thirteen = MakeHarmonicsCharts(*m, selection(kModeAbsolute, kNoLimits, 0));
    ASSERT_TRUE(thirteen.has_value());
    EXPECT_EQ(thirteen->voltage.chart.xAxis().labels().size(), 14u);
    const auto label = [](const HarmonicsChart& c, double value, double phase) {
        const double fields[] = {phase};
        return charts::formatLabel(c.chart.layers().front()->aggregateLabelFormat(), value, fields);
    };
    EXPECT_EQ(label(thirteen->voltage, 230.456, -12.34), "230.46V\n-12.3\u00B0");
    EXPECT_EQ(label(thirteen->current, 0.123456, 7.26), "0.1235A\n7.3\u00B0");
    const QImage labelled = thirteen->current.chart.render();
    EXPECT_GT(CountColour(labelled, labelled.rect(), kLabelBrown, 30), 20);
}

TEST(HarmonicsPage, LogModesShowFourDecadesAndNoBarAtOrBelowTheBottom) {
    auto m = harmonicMeasurement();
    for (HarmonicArray* values : {&m->HarmIPctRms, &m->HarmIPctH1}) {
        HarmonicArray& v = *values;
        v.fill(0);
        v[1] = 90;
        v[3] = 0;
        v[5] = 0.005;
        v[7] = std::numeric_limits<double>::quiet_NaN();
        v[9] = std::numeric_limits<double>::infinity();
        v[11] = 0.01;
        v[13] = 5;
    }
    m->PhaseI[13] = std::numeric_limits<double>::quiet_NaN();
    for (int mode : {kModeTotalLog, kModeH1Log}) {
        const auto charts = MakeHarmonicsCharts(*m, selection(mode, kNoLimits));
        ASSERT_TRUE(charts.has_value());
        const charts::XYChart& chart = charts->current.chart;
        const charts::ChartScales scales = chart.scales();
        EXPECT_TRUE(scales.y.logarithmic) << mode;
        EXPECT_DOUBLE_EQ(scales.y.lower, 0.01) << mode;
        EXPECT_DOUBLE_EQ(scales.y.upper, 100) << mode;
        EXPECT_EQ(scales.y.majorTicks, (std::vector<double>{0.01, 0.1, 1, 10, 100})) << mode;
        // Nothing that is not a number reaches the chart.
        const charts::Layer& layer = *chart.layers().front();
        for (double v : layer.dataSets().front().values()) {
            EXPECT_TRUE(std::isfinite(v)) << mode;
        }
        for (double v : layer.fieldsAt(13)) {
            EXPECT_TRUE(std::isfinite(v)) << mode;
        }

        const QImage image = chart.render();
        for (int order : {3, 5, 7, 9, 11}) {
            const QRect column(category(order), 15, 40, 245);
            EXPECT_EQ(CountColour(image, column, kGreen, 40), 0) << mode << " order " << order;
            EXPECT_EQ(CountColour(image, column, kLabelBrown, 30), 0) << mode << " order " << order;
        }
        EXPECT_TRUE(isBarGreen(image.pixel(category(13) + 20, logRow(1)))) << mode;
        EXPECT_TRUE(isBarGreen(image.pixel(category(1) + 20, logRow(50)))) << mode;
        EXPECT_GT(CountColour(image, QRect(category(13), 15, 40, logRow(5) - 15), kLabelBrown, 30),
                  5)
            << mode;
    }
}

TEST(HarmonicsPage, AbsoluteModeTakesTheScaleListsAsUpperLimits) {
    const auto m = harmonicMeasurement();
    PageSelections s = selection(kModeAbsolute, kNoLimits);
    s.scales = {3, 6, 0};
    ASSERT_STREQ(CurrentScales()[6].label, "500mA");
    const auto fixed = MakeHarmonicsCharts(*m, s);
    ASSERT_TRUE(fixed.has_value());
    EXPECT_DOUBLE_EQ(fixed->current.chart.scales().y.lower, 0);
    EXPECT_DOUBLE_EQ(fixed->current.chart.scales().y.upper, 0.5);
    EXPECT_DOUBLE_EQ(fixed->voltage.chart.scales().y.upper, 300);
    EXPECT_EQ(fixed->current.chart.yAxis().title().text(), "Irms (A)");
    EXPECT_EQ(fixed->voltage.chart.yAxis().title().text(), "Vrms (V)");

    // "Auto": scaled from the data, the fundamental of 230 V included.
    s.scales = {};
    const auto automatic = MakeHarmonicsCharts(*m, s);
    ASSERT_TRUE(automatic.has_value());
    EXPECT_EQ(automatic->voltage.chart.yAxis().scaleSetting().mode, charts::ScaleMode::Auto);
    EXPECT_GE(automatic->voltage.chart.scales().y.upper, 230);
    // The percentage modes run from 0 to 100 whatever the lists say.
    s.scales = {3, 6, 0};
    s.harmonics.displayMode = kModeH1Lin;
    EXPECT_DOUBLE_EQ(MakeHarmonicsCharts(*m, s)->current.chart.scales().y.upper, 100);
    // A mode the list does not have draws nothing.
    s.harmonics.displayMode = 5;
    EXPECT_FALSE(MakeHarmonicsCharts(*m, s).has_value());
}

TEST(HarmonicsPage, DrawsOnlyAfterACaptureAndWritesItsTwoFiles) {
    auto m = harmonicMeasurement();
    ExpectFilesOnlyAfterACapture(DrawChartHarmonics, *m,
                                 {kHarmonicsVoltageFile, kHarmonicsCurrentFile});
    EXPECT_STREQ(kHarmonicsVoltageFile, "%sHarmonicsVoltage.png");
    EXPECT_STREQ(kHarmonicsCurrentFile, "%sHarmonicsCurrent.png");
}

}  // namespace voltaris::test
