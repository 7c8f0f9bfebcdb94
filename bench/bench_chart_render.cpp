// Rendering time of the charts the pages draw, on the offscreen platform: the Waveforms pair at
// 85 periods (the budget is 30 ms for both), the same with plain QCustomPlot stroking for
// comparison, and one chart of each layer type and meter.
#include "ui/StateMeter.h"
#include "ui/charts/SampleCharts.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

using namespace voltaris::charts;

void renderOnce(benchmark::State& state, const Chart& chart) {
    for (auto _ : state) {
        QImage image = chart.render();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Builds and renders both charts of the page each time, as the page does on every capture.
void BM_WaveformsPair(benchmark::State& state) {
    const samples::Waveforms w = samples::makeWaveforms(static_cast<int>(state.range(0)));
    const bool fast = state.range(1) != 0;
    for (auto _ : state) {
        XYChart vi = samples::voltageCurrentChart(w);
        XYChart p = samples::powerChart(w);
        vi.setFastLines(fast);
        p.setFastLines(fast);
        QImage a = vi.render();
        QImage b = p.render();
        benchmark::DoNotOptimize(a.constBits());
        benchmark::DoNotOptimize(b.constBits());
    }
    state.counters["points"] = static_cast<double>(w.voltage.size());
}
BENCHMARK(BM_WaveformsPair)
    ->ArgNames({"periods", "fast"})
    ->Args({85, 1})
    ->Args({90, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveformsPair)
    ->ArgNames({"periods", "fast"})
    ->Args({85, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_LineChartAutoScale(benchmark::State& state) {
    renderOnce(state, samples::voltageCurrentChart(samples::makeWaveforms(85), false));
}
BENCHMARK(BM_LineChartAutoScale)->Unit(benchmark::kMillisecond);

void BM_StepLineChart(benchmark::State& state) {
    renderOnce(state, samples::stepChart());
}
BENCHMARK(BM_StepLineChart)->Unit(benchmark::kMillisecond);

void BM_AreaChart(benchmark::State& state) {
    renderOnce(state, samples::energyAreaChart());
}
BENCHMARK(BM_AreaChart)->Unit(benchmark::kMillisecond);

void BM_BarChartLabels(benchmark::State& state) {
    renderOnce(state, samples::harmonicsChart(false));
}
BENCHMARK(BM_BarChartLabels)->Unit(benchmark::kMillisecond);

void BM_BarChartLog(benchmark::State& state) {
    renderOnce(state, samples::harmonicsChart(true));
}
BENCHMARK(BM_BarChartLog)->Unit(benchmark::kMillisecond);

void BM_HorizontalBars(benchmark::State& state) {
    renderOnce(state, samples::statBarsChart());
}
BENCHMARK(BM_HorizontalBars)->Unit(benchmark::kMillisecond);

void BM_XYCurve85Periods(benchmark::State& state) {
    renderOnce(state, samples::vaCurveChart(samples::makeWaveforms(85)));
}
BENCHMARK(BM_XYCurve85Periods)->Unit(benchmark::kMillisecond);

void BM_AngularMeter(benchmark::State& state) {
    renderOnce(state, samples::vrmsMeter(231.4));
}
BENCHMARK(BM_AngularMeter)->Unit(benchmark::kMillisecond);

void BM_StateMeter(benchmark::State& state) {
    renderOnce(state, voltaris::MakeStateMeter(2));
}
BENCHMARK(BM_StateMeter)->Unit(benchmark::kMillisecond);

}  // namespace
