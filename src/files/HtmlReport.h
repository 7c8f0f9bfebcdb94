// The HTML report: the chart images of five pages written into the report folder by the page
// builders, the maker's logo copied beside them, and the template copied with its placeholders
// replaced. Shared by the window's "Report" button and `voltaris-cli report`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/TextFormat.h"
#include "ui/pages/PageInput.h"

namespace voltaris {

inline constexpr const char* kReportTemplateName = "VoltarisReportTemplate.html";
inline constexpr const char* kReportLogoName = "KORVEX.gif";
inline constexpr const char* kReportFileFormat = "%sVoltarisReport.html";
inline constexpr const char* kReportLogoFormat = "%sKORVEX.gif";

// Where the template and the logo are looked for, in order: `applicationFolder` (the working
// directory at start-up), the folder of the running program, the installed data folder (beside
// the program's bin/ folder, then where it was configured to go).
[[nodiscard]] std::vector<std::string> ReportResourceFolders(const std::string& applicationFolder);
// `name` in the first of `folders` that holds it; in the first folder when none does, so that
// the failure to read it names the place looked first.
[[nodiscard]] std::string FindReportResource(const std::vector<std::string>& folders,
                                             const char* name);

struct ReportJob {
    std::string folder;        // where the report goes, with its trailing separator
    std::string templatePath;  // the template to copy
    std::string logoPath;      // the logo to copy beside the report
    std::string dateText;      // ReportDateText of the start of the action
    std::uint16_t hardwareVersion = 0;
    // The harmonic texts the harmonics page kept; its builder renews them as it writes its images.
    PageTexts texts;
};

struct ReportOutcome {
    FileOutcome result;               // on failure the system's text
    std::string failedPath;           // the file the failure concerns
    std::vector<std::string> images;  // the chart files written, in order
    std::string logo;                 // the logo copy, once made
    std::string report;               // the report file, once created
};

// Writes the eleven images (the Waveforms, Transient, Harmonics, VA graph and Energy builders in
// that order, with the folder as prefix), copies the logo, then copies the template into
// "VoltarisReport.html". Stops at the first file failure; what was written stays. The title is
// `data.selections.title`; the meter's identity is `data.calibration`'s with `hardwareVersion`.
[[nodiscard]] ReportOutcome WriteHtmlReport(const ReportJob& job, const PageData& data);

}  // namespace voltaris
