// The Waveforms page: the samples of the last capture as two line charts, voltage and current
// on one (two y axes), instantaneous power on the other; to panes 1044 and 1045, or to two PNG
// files for the report.
#pragma once

#include <string>

#include "analysis/MeasurementSet.h"
#include "ui/charts/XYChart.h"

namespace voltaris {

class PaneGrid;

// Selections of the U, I and P scale lists (index 0: automatic).
struct WaveformScales {
    int u = 0;
    int i = 0;
    int p = 0;
};

inline constexpr int kWaveformPaneVoltageCurrent = 1044;
inline constexpr int kWaveformPanePower = 1045;
inline constexpr const char* kWaveVoltageCurrentFile = "%sWaveVoltageCurrent.png";
inline constexpr const char* kWavePowerFile = "%sWavePower.png";

// The charts of the page for the first PeriodsAnalysed x 256 samples of `m`.
[[nodiscard]] charts::XYChart MakeVoltageCurrentChart(const MeasurementSet& m,
                                                      const WaveformScales& scales);
[[nodiscard]] charts::XYChart MakePowerChart(const MeasurementSet& m, const WaveformScales& scales);

// Draws the page. With `prefix` null the charts go to panes 1044 and 1045 and the fourteen other
// panes are cleared; with a prefix they are written to prefix + "WaveVoltageCurrent.png" and
// prefix + "WavePower.png" and no pane is touched. With no analysed period nothing happens.
// False when a chart could not be shown or written (logged).
bool DrawChartWaveforms(const MeasurementSet& m, const WaveformScales& scales, PaneGrid& panes,
                        const char* prefix);

}  // namespace voltaris
