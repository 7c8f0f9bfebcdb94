// The pages of the window's tab control in tab order: for each its tab text, its builder and
// the page-specific controls it shows. Adding a page is one row here and one builder.
#pragma once

#include <span>

#include "ui/pages/ChartSink.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

// Page-specific controls, hidden whenever the page changes and shown again by their page.
enum PageControl : unsigned {
    kResetStatsControl = 1u << 0,        // 1060
    kHarmonicsModeControl = 1u << 1,     // 1066
    kHarmonicsCountControl = 1u << 2,    // 1067
    kHarmonicsLimitsControl = 1u << 3,   // 1068
    kHarmonicsResultControl = 1u << 4,   // 1072
    // 1083, 1085, 1086, 1087, 1088, 1092, 1091, 1074, 1080, 1077, 1078, 1079, 1081
    kCalibrationControl = 1u << 5,
    // 1076, 1082: shown with the calibration controls only when started with "/MFG"
    kFactoryCalibrationControl = 1u << 6,
};

// Draws a page into `sink` from `data`, leaving its texts in `texts`.
using PageBuilder = PageOutcome (*)(const PageData& data, ChartSink& sink, PageTexts& texts);

struct PageDescriptor {
    int tabString;       // string-table id of the tab text
    const char* name;    // for the log and the command line
    PageBuilder build;
    unsigned controls;   // PageControl bits shown once the page was drawn on screen
};

// The eight pages, index 0 to 7.
[[nodiscard]] std::span<const PageDescriptor> Pages();
// Page `index`; null outside the table.
[[nodiscard]] const PageDescriptor* FindPage(int index);

}  // namespace voltaris
