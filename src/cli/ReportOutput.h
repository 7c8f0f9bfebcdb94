// What the commands write besides their JSON: the CSV export of the last analysed capture and
// its report, through the same files code as the window.
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <optional>
#include <string>

#include "analysis/MeasurementSet.h"
#include "ui/pages/PageInput.h"

namespace voltaris::cli {

// Writes the CSV export of `m` to `path`, replacing it; false after printing
// "<command>: <path>: <system's text>" on standard error.
[[nodiscard]] bool WriteCsvFile(const char* command, const std::string& path,
                                const MeasurementSet& m);

struct CliReportRequest {
    std::string folder;             // created with its missing parents
    std::string templatePath;       // empty: looked for as the window does
    std::string applicationFolder;  // the working directory when the command started
    std::uint16_t hardwareVersion = 0;
};

// Writes the report of `data` into the folder exactly as the window would. The object
// {"report", "images", "logo"} once written; nothing after printing
// "<command>: <path>: <system's text>" on standard error.
[[nodiscard]] std::optional<QJsonObject> WriteCliReport(const char* command,
                                                        const CliReportRequest& request,
                                                        const PageData& data);

}  // namespace voltaris::cli
