// The Waveforms page as the window draws it: both 700 x 280 charts built from a measurement of
// N periods, rendered and shown in their panes (the other fourteen cleared).
#include <benchmark/benchmark.h>

#include <QWidget>
#include <cmath>
#include <memory>

#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/pages/WaveformsPage.h"

namespace {

// A mains voltage with some distortion and a load current rich in harmonics, with noise, so
// that the lines cross many pixels in every column.
std::unique_ptr<voltaris::MeasurementSet> measurement(std::uint32_t periods) {
    auto m = std::make_unique<voltaris::MeasurementSet>();
    m->PeriodsAnalysed = periods;
    std::uint32_t noise = 12345;
    for (std::size_t k = 0; k < periods * voltaris::kSamplesPerPeriod; ++k) {
        const double w = 2 * M_PI * static_cast<double>(k) / voltaris::kSamplesPerPeriod;
        noise = noise * 1103515245u + 12345u;
        const double jitter = static_cast<double>((noise >> 16) & 0xFF) / 255.0 - 0.5;
        m->Voltage[k] = 325 * std::sin(w) + 8 * std::sin(3 * w) + jitter;
        m->Current[k] = 1.4 * std::sin(w - 0.5) + 0.5 * std::sin(3 * w) + 0.05 * jitter;
        m->Power[k] = m->Voltage[k] * m->Current[k];
    }
    return m;
}

void BM_DrawChartWaveforms(benchmark::State& state) {
    const auto m = measurement(static_cast<std::uint32_t>(state.range(0)));
    QWidget client;
    voltaris::PaneGrid panes(client);
    voltaris::PaneSink sink(panes);
    const voltaris::StatisticsGrid statistics;
    const voltaris::PageData data{*m, statistics, {}, {}};
    voltaris::PageTexts texts;
    for (auto _ : state) {
        if (!voltaris::DrawChartWaveforms(data, sink, texts).ok) {
            state.SkipWithError("page not drawn");
            break;
        }
    }
    state.counters["points"] =
        static_cast<double>(m->PeriodsAnalysed * voltaris::kSamplesPerPeriod);
}
BENCHMARK(BM_DrawChartWaveforms)->Arg(10)->Arg(85)->Unit(benchmark::kMillisecond);

}  // namespace
