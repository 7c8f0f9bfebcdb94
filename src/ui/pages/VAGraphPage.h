// The VA graph page: the current of the last capture against its voltage, sample by sample, as
// one x-y curve; to pane 1044 or to a PNG file for the report.
#pragma once

#include "analysis/MeasurementSet.h"
#include "ui/charts/XYChart.h"
#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr int kVAGraphPane = 1044;
inline constexpr const char* kVAGraphFile = "%sXYVoltageCurrent.png";

// The 700 x 600 curve of the first PeriodsAnalysed x 256 samples of `m`: voltage on x (U scale),
// current on y (I scale), joined in sample order.
[[nodiscard]] charts::XYChart MakeVAGraphChart(const MeasurementSet& m,
                                               const ScaleSelection& scales);

// Draws the page: on screen to pane 1044 with the fifteen other panes cleared; to the file
// prefix + "XYVoltageCurrent.png". With no analysed period nothing happens.
PageOutcome DrawChartVAGraph(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
