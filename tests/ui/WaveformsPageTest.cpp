// The Waveforms page builder on its own: charts from a known measurement, scales from the
// selectors, panes or PNG files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QWidget>
#include <cmath>

#include "support/LogCapture.h"
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "support/WindowHarness.h"
#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/charts/CChartPane.h"
#include "ui/charts/Meter.h"
#include "ui/pages/WaveformsPage.h"

namespace voltaris::test {

namespace {

// Two periods of 230 V and 1 A in phase.
std::unique_ptr<MeasurementSet> sineMeasurement(std::uint32_t periods = 2) {
    auto m = std::make_unique<MeasurementSet>();
    m->PeriodsAnalysed = periods;
    for (std::size_t k = 0; k < periods * kSamplesPerPeriod; ++k) {
        const double phase = 2 * M_PI * static_cast<double>(k) / kSamplesPerPeriod;
        m->Voltage[k] = 325 * std::sin(phase);
        m->Current[k] = 1.414 * std::sin(phase);
        m->Power[k] = m->Voltage[k] * m->Current[k];
    }
    return m;
}

// The page drawn as the window draws it (no prefix: into the panes) or for the report.
PageOutcome draw(const MeasurementSet& m, ScaleSelection scales, PaneGrid& panes,
                 const char* prefix) {
    const StatisticsGrid statistics;
    PageSelections selections;
    selections.scales = scales;
    PageTexts texts;
    PaneSink screen(panes);
    FileChartSink files(prefix != nullptr ? prefix : "");
    ChartSink& sink = prefix != nullptr ? static_cast<ChartSink&>(files) : screen;
    return DrawChartWaveforms({m, statistics, {}, selections}, sink, texts);
}

// A pane image that a page other than Waveforms left behind.
void putMeter(CChartPane& pane) {
    charts::LinearMeter meter(40, 20);
    ASSERT_TRUE(pane.setChart(meter));
}

}  // namespace

TEST(WaveformsPage, ScalesFollowTheSelectors) {
    const auto m = sineMeasurement();
    const charts::XYChart vi = MakeVoltageCurrentChart(*m, {2, 9, 0});
    const charts::ChartScales s = vi.scales();
    EXPECT_DOUBLE_EQ(s.y.lower, -200);
    EXPECT_DOUBLE_EQ(s.y.upper, 200);
    EXPECT_DOUBLE_EQ(s.y.majorStep, 25);
    EXPECT_DOUBLE_EQ(s.y2.lower, -5);
    EXPECT_DOUBLE_EQ(s.y2.upper, 5);
    EXPECT_DOUBLE_EQ(s.y2.majorStep, 1);
    EXPECT_TRUE(s.y2Shown);

    const charts::XYChart smallest = MakeVoltageCurrentChart(*m, {1, 1, 0});
    EXPECT_DOUBLE_EQ(smallest.scales().y.upper, 100);
    EXPECT_DOUBLE_EQ(smallest.scales().y.majorStep, 20);
    EXPECT_DOUBLE_EQ(smallest.scales().y2.upper, 0.01);
    EXPECT_DOUBLE_EQ(smallest.scales().y2.majorStep, 0.0025);

    const charts::XYChart power = MakePowerChart(*m, {0, 0, 12});
    EXPECT_DOUBLE_EQ(power.scales().y.lower, -500);
    EXPECT_DOUBLE_EQ(power.scales().y.upper, 500);
    EXPECT_DOUBLE_EQ(power.scales().y.majorStep, 100);
    EXPECT_EQ(MakePowerChart(*m, {0, 0, 1}).scales().y.upper, 0.1);

    // Index 0 leaves the axis to automatic scaling, which covers the data.
    const charts::XYChart automatic = MakeVoltageCurrentChart(*m, {0, 0, 0});
    EXPECT_EQ(automatic.yAxis().scaleSetting().mode, charts::ScaleMode::Auto);
    EXPECT_EQ(automatic.yAxis2().scaleSetting().mode, charts::ScaleMode::Auto);
    EXPECT_LE(automatic.scales().y.lower, -325);
    EXPECT_GE(automatic.scales().y.upper, 325);
    // A selection beyond the list is treated as automatic rather than read out of bounds.
    EXPECT_EQ(MakePowerChart(*m, {0, 0, 13}).yAxis().scaleSetting().mode, charts::ScaleMode::Auto);
}

TEST(WaveformsPage, DataSetsCarryEverySampleOfTheCapture) {
    const auto m = sineMeasurement(90);
    const charts::XYChart vi = MakeVoltageCurrentChart(*m, {});
    ASSERT_EQ(vi.layers().size(), 1u);
    const charts::Layer& layer = *vi.layers().front();
    EXPECT_EQ(layer.lineWidth(), 2);
    ASSERT_EQ(layer.dataSets().size(), 2u);
    EXPECT_EQ(layer.dataSets()[0].name(), "Voltage (V)");
    EXPECT_EQ(layer.dataSets()[0].color(), 0x008000u);
    EXPECT_FALSE(layer.dataSets()[0].usesYAxis2());
    EXPECT_EQ(layer.dataSets()[1].name(), "Current (A)");
    EXPECT_EQ(layer.dataSets()[1].color(), 0xC00000u);
    EXPECT_TRUE(layer.dataSets()[1].usesYAxis2());
    EXPECT_EQ(layer.dataSets()[0].values().size(), 23040u);
    EXPECT_EQ(layer.dataSets()[1].values().size(), 23040u);
    EXPECT_DOUBLE_EQ(layer.dataSets()[0].values()[64], m->Voltage[64]);

    const charts::XYChart power = MakePowerChart(*m, {});
    ASSERT_EQ(power.layers().front()->dataSets().size(), 1u);
    EXPECT_EQ(power.layers().front()->dataSets()[0].name(), "Power (W)");
    EXPECT_EQ(power.layers().front()->dataSets()[0].color(), 0x0000FFu);
    EXPECT_EQ(power.layers().front()->dataSets()[0].values().size(), 23040u);
}

TEST(WaveformsPage, DrawsIntoTheTwoPanesAndClearsTheOthers) {
    LogCapture log(kWindowProcess);
    QWidget client;
    PaneGrid panes(client);
    putMeter(panes.pane(1046));
    putMeter(panes.pane(1059));
    const auto m = sineMeasurement();
    EXPECT_TRUE(draw(*m, {}, panes, nullptr).ok);
    EXPECT_EQ(panes.pane(1044).image().size(), QSize(700, 280));
    EXPECT_EQ(panes.pane(1045).image().size(), QSize(700, 280));
    for (int id = 1046; id <= PaneGrid::kLastId; ++id) {
        EXPECT_FALSE(panes.pane(id).hasImage()) << id;
    }
    // The background of both charts, near a corner.
    const QImage vi = panes.pane(1044).image().toImage();
    EXPECT_EQ(rgbAt(vi, 5, 270), 0xEEEEFFu);
    EXPECT_EQ(log.count("DEBUG1", "DrawChartWaveforms"), 1);
    EXPECT_EQ(log.count("DEBUG1", "waveform updated"), 1);
}

TEST(WaveformsPage, WithAPrefixWritesTwoFilesAndLeavesThePanes) {
    test::TempDir dir;
    ASSERT_TRUE(dir.valid());
    QWidget client;
    PaneGrid panes(client);
    putMeter(panes.pane(1046));
    const qint64 kept = panes.pane(1046).image().cacheKey();
    const auto m = sineMeasurement();
    const std::string prefix = dir.filePath("report_").toStdString();

    EXPECT_TRUE(draw(*m, {3, 4, 5}, panes, prefix.c_str()).ok);
    const QImage vi(QString::fromStdString(prefix + "WaveVoltageCurrent.png"));
    const QImage power(QString::fromStdString(prefix + "WavePower.png"));
    EXPECT_EQ(vi.size(), QSize(700, 280));
    EXPECT_EQ(power.size(), QSize(700, 280));
    // Each file holds its own chart: the power trace is blue, absent from the other chart.
    EXPECT_GT(countOf(power, 0x0000FF), 100);
    EXPECT_EQ(countOf(vi, 0x0000FF), 0);
    EXPECT_FALSE(panes.pane(1044).hasImage());
    EXPECT_FALSE(panes.pane(1045).hasImage());
    EXPECT_EQ(panes.pane(1046).image().cacheKey(), kept);

    // A folder that does not exist: reported, nothing crashes.
    EXPECT_FALSE(draw(*m, {}, panes, dir.filePath("missing/x_").toUtf8().data()).ok);
}

TEST(WaveformsPage, WithoutAnalysedPeriodsDrawsNothing) {
    test::TempDir dir;
    QWidget client;
    PaneGrid panes(client);
    putMeter(panes.pane(1046));
    const auto m = sineMeasurement(0);
    const std::string prefix = dir.filePath("p_").toStdString();
    for (const char* p : {static_cast<const char*>(nullptr), prefix.c_str()}) {
        const PageOutcome outcome = draw(*m, {}, panes, p);
        EXPECT_TRUE(outcome.ok);
        EXPECT_FALSE(outcome.drawn);
    }
    EXPECT_FALSE(panes.pane(1044).hasImage());
    EXPECT_TRUE(panes.pane(1046).hasImage());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(prefix + "WavePower.png")));
}

}  // namespace voltaris::test
