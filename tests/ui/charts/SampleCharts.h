// Charts built the way the application's pages build them, on synthetic mains data: shared by
// the chart tests, the render benchmark and the gallery program.
#pragma once

#include "ui/charts/Meter.h"
#include "ui/charts/XYChart.h"

#include <vector>

namespace voltaris::charts::samples {

// Voltage (V), current (A) and instantaneous power (W) of `periods` mains periods, 256 samples
// each: 230 V rms, a load drawing 1.5 A peak lagging by 30 degrees with some third harmonic.
struct Waveforms {
    std::vector<double> voltage;
    std::vector<double> current;
    std::vector<double> power;
};
[[nodiscard]] Waveforms makeWaveforms(int periods);

// The Waveforms page pair: voltage and current on two y axes (U scale +-400 V, I scale +-2 A),
// then power (P scale +-500 W); a scale index of 0 leaves the axis automatic.
[[nodiscard]] XYChart voltageCurrentChart(const Waveforms& w, bool fixedScales = true);
[[nodiscard]] XYChart powerChart(const Waveforms& w, bool fixedScales = true);

// Harmonics page: 14 bars (orders 0 to 13) with per-bar colours and value/phase labels, or the
// logarithmic %-of-fundamental view with limit bars behind.
[[nodiscard]] XYChart harmonicsChart(bool logarithmic);

// Statistics page: five horizontal bars with value labels.
[[nodiscard]] XYChart statBarsChart();

// Transient page: two step lines over 10 periods.
[[nodiscard]] XYChart stepChart();

// VA graph: current against voltage, joined in sample order.
[[nodiscard]] XYChart vaCurveChart(const Waveforms& w);

// Energy page: cumulated energy as an area over time, with a label on the newest point.
[[nodiscard]] XYChart energyAreaChart();

// Measurements page: one dial (Vrms, 0 to 400 V, red zones below 90 and above 350).
[[nodiscard]] AngularMeter vrmsMeter(double value);

}  // namespace voltaris::charts::samples
