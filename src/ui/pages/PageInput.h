// What every page builder reads (the last measurement, the statistics, the calibration and the
// control selections, read once per display update) and the texts a page leaves for the window
// and the report.
#pragma once

#include <string>

#include "analysis/HarmonicsCoupling.h"
#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"
#include "device/CalibrationParams.h"

namespace voltaris {

// Positions of the U, I and P scale lists (0: automatic).
struct ScaleSelection {
    int u = 0;
    int i = 0;
    int p = 0;
};

// The controls' values as the display update read them.
struct PageSelections {
    ScaleSelection scales;
    int filter = 2;  // "Low pass 2KHz"
    HarmonicsSelection harmonics;
    int harmonicsCount = 0;  // 0: "13 points", 1: "40 points"
    std::string title;
};

struct PageData {
    const MeasurementSet& measurements;
    const StatisticsGrid& statistics;
    CalibrationParams calibration;
    PageSelections selections;
};

// Texts a page sets for the window (the harmonics result box, the calibration fields) and for
// the report.
struct PageTexts {
    std::string harmonicsResult;
    std::string harmonicLimitName = "n/a";
    std::string harmonicVerdict = "n/a";
    // Calibration page: the meter's serial number and last calibration date, "%8.8ld".
    std::string serialNumber;
    std::string lastCalibrationDate;
};

// What a builder did.
struct PageOutcome {
    bool drawn = false;  // false: nothing to draw yet (no analysed capture), nothing changed
    bool ok = true;      // false: a chart could not be shown or written (logged)
};

}  // namespace voltaris
