// The Waveforms page: the samples of the last capture as two line charts, voltage and current
// on one (two y axes), instantaneous power on the other; to panes 1044 and 1045, or to two PNG
// files for the report.
#pragma once

#include "analysis/MeasurementSet.h"
#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr int kWaveformPaneVoltageCurrent = 1044;
inline constexpr int kWaveformPanePower = 1045;
inline constexpr const char* kWaveVoltageCurrentFile = "%sWaveVoltageCurrent.png";
inline constexpr const char* kWavePowerFile = "%sWavePower.png";

// The charts of the page for the first PeriodsAnalysed x 256 samples of `m`.
[[nodiscard]] charts::XYChart MakeVoltageCurrentChart(const MeasurementSet& m,
                                                      const ScaleSelection& scales);
[[nodiscard]] charts::XYChart MakePowerChart(const MeasurementSet& m,
                                             const ScaleSelection& scales);

// Draws the page: on screen to panes 1044 and 1045 with the fourteen other panes cleared; to
// files as prefix + "WaveVoltageCurrent.png" and prefix + "WavePower.png". With no analysed
// period nothing happens.
PageOutcome DrawChartWaveforms(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
