// The Harmonic analysis, VA graph and Energy pages as the window draws them into their panes,
// from an 85-period capture with harmonics analysed by DoCalculations
// and a full energy history. The VA graph also runs without the curve reduction, for the ratio.
#include <benchmark/benchmark.h>

#include <QWidget>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/EnergySeries.h"
#include "analysis/Measurements.h"
#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/EnergyPage.h"
#include "ui/pages/HarmonicsPage.h"
#include "ui/pages/VAGraphPage.h"

namespace {

using namespace voltaris;

constexpr std::uint32_t kPeriods = 85;

// Self-contained fixture: the capture a meter would send for a distorted mains voltage and a
// rectifier-like load current with noise, analysed once, then 500 energy points.
struct PagesFixtureB {
    std::unique_ptr<MeasurementSet> m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;

    PagesFixtureB() {
        const std::uint32_t blocks = kPeriods + 2;
        std::vector<std::int16_t> voltage(blocks * kSamplesPerPeriod);
        std::vector<std::int16_t> current(voltage.size());
        std::uint32_t noise = 2024;
        for (std::size_t k = 0; k < voltage.size(); ++k) {
            const double w = 2 * M_PI * static_cast<double>(k) / kSamplesPerPeriod;
            noise = noise * 1103515245u + 12345u;
            const double jitter = static_cast<double>((noise >> 16) & 0xFF) / 255.0 - 0.5;
            const double u = 325 * std::sin(w) + 6 * std::sin(3 * w + 0.4) + jitter;
            const double i = 1.4 * std::sin(w - 0.5) + 0.6 * std::sin(3 * w) +
                             0.3 * std::sin(5 * w + 1) + 0.1 * std::sin(7 * w) + 0.02 * jitter;
            voltage[k] = static_cast<std::int16_t>(std::lround(u / 0.02));
            current[k] = static_cast<std::int16_t>(std::lround(i / 0.0002));
        }
        const RawCapture raw{voltage, current, blocks, 0.02f, 0.0002f, 20000, 1};
        const SteadyTime start = std::chrono::steady_clock::now();
        energyReset(*m, start);
        AnalysisOptions options;
        options.status = AcquisitionStatus::RunRequested;
        options.now = start + std::chrono::seconds(2);
        if (!DoCalculations(raw, options, *m, statistics)) {
            m->PeriodsAnalysed = 0;
        }
        for (int k = 2; k <= static_cast<int>(kEnergyPoints); ++k) {
            addEnergyPoint(*m, m->Prms * (1 + 0.2 * std::sin(k / 40.0)),
                           start + std::chrono::seconds(2 * k));
        }
    }

    [[nodiscard]] PageData data(const PageSelections& selections = {}) const {
        return {*m, statistics, {}, selections};
    }
};

const PagesFixtureB& fixture() {
    static const PagesFixtureB f;
    return f;
}

void drawIntoPanes(benchmark::State& state, PageBuilder build, const PageSelections& selections) {
    const PagesFixtureB& f = fixture();
    QWidget client;
    PaneGrid panes(client);
    PaneSink sink(panes);
    PageTexts texts;
    const PageData data = f.data(selections);
    for (auto _ : state) {
        const PageOutcome outcome = build(data, sink, texts);
        if (!outcome.drawn || !outcome.ok) {
            state.SkipWithError("page not drawn");
            break;
        }
    }
}

void DrawChartHarmonicsBench(benchmark::State& state) {
    PageSelections s;  // "Absolute", 13 points with value labels, or class A on 40 points
    if (state.range(0) == 40) {
        s.harmonicsCount = 1;
        s.harmonics.limitClass = kClassA;
    }
    drawIntoPanes(state, DrawChartHarmonics, s);
}
BENCHMARK(DrawChartHarmonicsBench)
    ->Name("DrawChartHarmonics")
    ->ArgName("points")
    ->Arg(13)
    ->Arg(40)
    ->Unit(benchmark::kMillisecond);

// reduced 1: the page as it is; 0: the same chart stroked with every point.
void DrawChartVAGraphBench(benchmark::State& state) {
    if (state.range(0) != 0) {
        drawIntoPanes(state, DrawChartVAGraph, {});
        return;
    }
    const PagesFixtureB& f = fixture();
    QWidget client;
    PaneGrid panes(client);
    for (auto _ : state) {
        charts::XYChart chart = MakeVAGraphChart(*f.m, {});
        chart.setReduceLines(false);
        if (!panes.pane(kVAGraphPane).setChart(chart)) {
            state.SkipWithError("chart not shown");
            break;
        }
        panes.clearAllExcept({kVAGraphPane});
    }
}
BENCHMARK(DrawChartVAGraphBench)
    ->Name("DrawChartVAGraph")
    ->ArgName("reduced")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

void DrawChartLoggingBench(benchmark::State& state) {
    drawIntoPanes(state, DrawChartLogging, {});
}
BENCHMARK(DrawChartLoggingBench)->Name("DrawChartLogging")->Unit(benchmark::kMillisecond);

}  // namespace
