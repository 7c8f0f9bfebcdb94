// The Energy page builder: the power line with its "End" label, the cumulated energy with the
// total in its legend, the P scale list, panes and files.
#include <gtest/gtest.h>

#include <chrono>

#include "PageTestSupport.h"
#include "analysis/EnergySeries.h"
#include "ui/pages/EnergyPage.h"

namespace voltaris::test {

namespace {

using namespace std::chrono_literals;

// An energy reset, then one continuous capture an hour later at a constant 100 W.
std::unique_ptr<MeasurementSet> oneCaptureAnHourLater() {
    auto m = std::make_unique<MeasurementSet>();
    m->PeriodsAnalysed = 10;
    const SteadyTime reset{};
    energyReset(*m, reset);
    addEnergyPoint(*m, 100, reset + 1h);
    return m;
}

bool isText(QRgb p) {
    return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100;
}

}  // namespace

TEST(EnergyPage, LegendGivesTheTotalAndEndMarksTheNewestPoint) {
    const auto m = oneCaptureAnHourLater();
    const charts::XYChart energy = MakeEnergyCumulatedChart(*m);
    // The first step averages with the zero entry: 50 Wh.
    EXPECT_EQ(energy.layers().front()->dataSets().front().name(),
              "Energy (Wh), total = 50.000000 W");
    EXPECT_EQ(energy.layers().front()->kind(), charts::LayerKind::Area);

    const charts::XYChart power = MakeEnergyPowerChart(*m, {});
    const charts::Layer& line = *power.layers().front();
    EXPECT_EQ(line.dataSets().front().name(), "Power (W)");
    ASSERT_EQ(line.customLabels().size(), 1u);
    EXPECT_EQ(line.customLabels().front().index, 499);
    EXPECT_EQ(line.customLabels().front().box.text(), "End");
    EXPECT_EQ(power.xAxis().title().text(), "Seconds");

    // "End" is written just above the newest point, (3600 s, 100 W).
    const charts::ChartScales s = power.scales();
    const int x = static_cast<int>(60 + (3600 - s.x.lower) / (s.x.upper - s.x.lower) * 620);
    const int y = static_cast<int>(240 - (100 - s.y.lower) / (s.y.upper - s.y.lower) * 210);
    const QImage image = power.render();
    int text = 0;
    for (int py = y - 18; py < y - 2; ++py) {
        for (int px = x - 14; px <= x + 14; ++px) {
            text += isText(image.pixel(px, py)) ? 1 : 0;
        }
    }
    EXPECT_GT(text, 15);
}

TEST(EnergyPage, DrawsTwoChartsIntoTheirPanesWithThePowerScale) {
    const auto m = oneCaptureAnHourLater();
    PageSelections selections;
    selections.scales.p = 10;  // 100 W
    const charts::ChartScales fixed = MakeEnergyPowerChart(*m, selections.scales).scales();
    EXPECT_DOUBLE_EQ(fixed.y.lower, -100);
    EXPECT_DOUBLE_EQ(fixed.y.upper, 100);
    EXPECT_DOUBLE_EQ(fixed.y.majorStep, 20);

    Panes panes;
    PutMeter(panes, 1046);
    PageTexts texts;
    EXPECT_TRUE(DrawPage(DrawChartLogging, *m, selections, panes, texts).ok);
    ExpectOnlyPanes(panes, {1044, 1045});
    const QImage power = panes.image(1044);
    const QImage energy = panes.image(1045);
    EXPECT_EQ(power.size(), QSize(700, 280));
    EXPECT_EQ(energy.size(), QSize(700, 280));
    // The area is filled under the energy line: its colour covers a good part of the plot.
    EXPECT_GT(CountColour(energy, QRect(60, 30, 620, 210), 0xC00000, 10), 5000);
    EXPECT_GT(CountColour(power, QRect(60, 30, 620, 210), 0xC00000, 10), 100);
}

TEST(EnergyPage, DrawsOnlyAfterACaptureAndWritesItsTwoFiles) {
    auto m = oneCaptureAnHourLater();
    ExpectFilesOnlyAfterACapture(DrawChartLogging, *m, {kEnergyPowerFile, kEnergyCumulatedFile});
    EXPECT_STREQ(kEnergyPowerFile, "%sEnergyPower.png");
    EXPECT_STREQ(kEnergyCumulatedFile, "%sEnergyCumulated.png");
}

}  // namespace voltaris::test
