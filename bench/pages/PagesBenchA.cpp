// Page redraws at 85 periods: Waveforms, Measurements, Statistics and Transient analysis drawn
// into their panes, and the report images of every built page written to PNG files.
#include "PagesBench.h"

#include "ui/pages/MeasurementsPage.h"
#include "ui/pages/StatisticsPage.h"
#include "ui/pages/TransientPage.h"
#include "ui/pages/WaveformsPage.h"

namespace voltaris::bench {

namespace {

void DrawChartWaveforms(benchmark::State& state) {
    PagesBench().drawPage(state, voltaris::DrawChartWaveforms);
}
BENCHMARK(DrawChartWaveforms)->Unit(benchmark::kMillisecond);

void DrawChartMeasure(benchmark::State& state) {
    PagesBench().drawPage(state, voltaris::DrawChartMeasure);
}
BENCHMARK(DrawChartMeasure)->Unit(benchmark::kMillisecond);

void DrawChartStatistics(benchmark::State& state) {
    PagesBench().drawPage(state, voltaris::DrawChartStatistics);
}
BENCHMARK(DrawChartStatistics)->Unit(benchmark::kMillisecond);

void DrawChartInrush(benchmark::State& state) {
    PagesBench().drawPage(state, voltaris::DrawChartInrush);
}
BENCHMARK(DrawChartInrush)->Unit(benchmark::kMillisecond);

void ReportImages(benchmark::State& state) {
    PagesBench().writeReportImages(state);
}
BENCHMARK(ReportImages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voltaris::bench
