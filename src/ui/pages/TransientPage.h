// The Transient analysis page: how the load behaves period by period over one capture, as four
// step charts of the per-period series (voltage, current, power, power factor); to panes 1044
// to 1047, or to four PNG files for the report.
#pragma once

#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr int kInrushPaneVoltage = 1044;
inline constexpr int kInrushPaneCurrent = 1046;
inline constexpr int kInrushPanePower = 1045;
inline constexpr int kInrushPanePowerFactor = 1047;
inline constexpr const char* kInrushVoltageFile = "%sInrushVoltage.png";
inline constexpr const char* kInrushCurrentFile = "%sInrushCurrent.png";
inline constexpr const char* kInrushPowerFile = "%sInrushPower.png";
inline constexpr const char* kInrushPfactorFile = "%sInrushPfactor.png";

// Draws the four charts of PeriodsAnalysed points each: the voltage, current and power axes
// from 0 to the full scale of their scale list (automatic for "Auto"), the power factor from 0
// to 1. On screen the other twelve panes are cleared. With no analysed period nothing happens.
PageOutcome DrawChartInrush(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
