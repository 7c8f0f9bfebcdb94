// The pages of a measurement as PNG files, drawn by the window's own page builders, for the
// headless commands.
#pragma once

#include <string>

#include "analysis/MeasurementSet.h"

namespace voltaris::cli {

// Draws every page that has charts into files named after `prefix` and lists them on standard
// error. Needs the QApplication that main() makes for such commands. False, with a message,
// when a file could not be written.
[[nodiscard]] bool WritePageCharts(const MeasurementSet& m, CaptureFilter filter,
                                   const std::string& prefix);

// True when the command line asks a command to render charts, so that main() makes a
// QApplication (on the offscreen platform when there is no display) instead of a
// QCoreApplication.
[[nodiscard]] bool CommandRendersCharts(int argc, char** argv);

}  // namespace voltaris::cli
