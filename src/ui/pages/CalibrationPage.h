// The Calibration page: the "Vrms (V)" and "Irms (A)" dials of the last capture, so that the
// administrator compares them with the reference instrument, and the meter's serial number and
// last calibration date for the page's fields. The fields and buttons are the window's.
#pragma once

#include "ui/pages/ChartSink.h"
#include "ui/pages/MeasurementsPage.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr DialSpec kCalibrationVoltageDial{1045, "Vrms (V)", 0, 400, 100, 25, "1", 90, 350};
inline constexpr DialSpec kCalibrationCurrentDial{1047, "Irms (A)", 0, 5, 1, 0.25, "3", 0, 4};

// The date DDMMYYYY as the page shows it, "%8.8ld": 7122026 is "07122026".
[[nodiscard]] std::string CalibrationDateText(std::uint32_t date);

// Draws both dials, clears the fourteen other panes and leaves the serial number and the last
// calibration date in `texts`. With no analysed period nothing happens. No report image.
PageOutcome DrawChartCalibration(const PageData& data, ChartSink& sink, PageTexts& texts);

}  // namespace voltaris
