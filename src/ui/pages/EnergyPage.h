// The Energy page: the active power of the last 500 continuous captures as a line and the energy
// accumulated since the last energy reset as an area, over the seconds since that reset; to
// panes 1044 and 1045 or to two PNG files for the report.
#pragma once

#include "analysis/MeasurementSet.h"
#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr int kEnergyPanePower = 1044;
inline constexpr int kEnergyPaneCumulated = 1045;
inline constexpr const char* kEnergyPowerFile = "%sEnergyPower.png";
inline constexpr const char* kEnergyCumulatedFile = "%sEnergyCumulated.png";

// The power line over EnergyTime, P scale, with "End" on the newest point (item 499).
[[nodiscard]] charts::XYChart MakeEnergyPowerChart(const MeasurementSet& m,
                                                   const ScaleSelection& scales);
// The cumulated energy as an area over EnergyTime; its legend gives the total EnergyWh[499].
[[nodiscard]] charts::XYChart MakeEnergyCumulatedChart(const MeasurementSet& m);

// Draws the page: on screen to panes 1044 and 1045 with the fourteen other panes cleared; to
// files as prefix + "EnergyPower.png" and prefix + "EnergyCumulated.png". With no analysed
// period nothing happens.
PageOutcome DrawChartLogging(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
