// Writing the report folder.
#include "files/HtmlReport.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "files/ReportTemplate.h"
#include "infra/Log.h"
#include "ui/pages/EnergyPage.h"
#include "ui/pages/HarmonicsPage.h"
#include "ui/pages/TransientPage.h"
#include "ui/pages/VAGraphPage.h"
#include "ui/pages/WaveformsPage.h"

#ifndef VOLTARIS_DATA_DIR
#define VOLTARIS_DATA_DIR "/usr/local/share/voltaris"
#endif

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

// The report's pages, in the order they write their images.
constexpr PageBuilder kReportBuilders[] = {DrawChartWaveforms, DrawChartInrush, DrawChartHarmonics,
                                           DrawChartVAGraph, DrawChartLogging};

// Copies the logo; a folder that already holds this very file (the report written into the
// application folder) keeps it.
std::error_code copyLogo(const std::string& from, const std::string& to) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(to, error) && fs::equivalent(from, to, error)) {
        return {};
    }
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    return error;
}

// Reads the whole file; false with errno set when it cannot be read.
bool readAll(std::FILE* file, std::string& bytes) {
    char buffer[16384];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
    }
    return std::ferror(file) == 0;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<std::string> ReportResourceFolders(const std::string& applicationFolder) {
    std::vector<std::string> folders{applicationFolder};
    if (QCoreApplication::instance() != nullptr) {
        const std::string program = QCoreApplication::applicationDirPath().toStdString();
        folders.push_back(program);
        // The data folder of an installation moved away from its configured prefix.
        folders.push_back(program + "/../share/voltaris");
    }
    folders.emplace_back(VOLTARIS_DATA_DIR);
    return folders;
}

std::string FindReportResource(const std::vector<std::string>& folders, const char* name) {
    for (const std::string& folder : folders) {
        const std::filesystem::path path = std::filesystem::path(folder) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            return path.string();
        }
    }
    return (std::filesystem::path(folders.empty() ? std::string(".") : folders.front()) / name)
        .string();
}

ReportOutcome WriteHtmlReport(const ReportJob& job, const PageData& data) {
    ReportOutcome outcome;
    const auto fail = [&outcome](const std::string& path, int error) {
        outcome.result = SystemFailure(error);
        outcome.failedPath = path;
        LogMessage(kLogModule, LogError, "Report: %s: %s", path.c_str(),
                   outcome.result.error.c_str());
        return outcome;
    };

    FileChartSink images(job.folder);
    PageTexts texts = job.texts;
    for (PageBuilder build : kReportBuilders) {
        if (!build(data, images, texts).ok) {
            LogMessage(kLogModule, LogError, "Report: a page was not fully written to %s",
                       job.folder.c_str());
        }
    }
    outcome.images = images.written();

    const std::string logo = ChartFileName(kReportLogoFormat, job.folder);
    if (const std::error_code error = copyLogo(job.logoPath, logo)) {
        return fail(job.logoPath, error.value());
    }
    outcome.logo = logo;

    const File input(std::fopen(job.templatePath.c_str(), "rb"));
    if (!input) {
        return fail(job.templatePath, errno);
    }
    const std::string reportPath = ChartFileName(kReportFileFormat, job.folder);
    File output(std::fopen(reportPath.c_str(), "wb"));
    if (!output) {
        return fail(reportPath, errno);
    }
    outcome.report = reportPath;

    std::string bytes;
    if (!readAll(input.get(), bytes)) {
        return fail(job.templatePath, errno);
    }
    const ReportFacts facts{.title = data.selections.title,
                            .dateText = job.dateText,
                            .hardwareVersion = job.hardwareVersion,
                            .serialNumber = data.calibration.serialNumber,
                            .lastCalibrationDate = data.calibration.lastCalibrationDate,
                            .harmonicLimits = texts.harmonicLimitName,
                            .harmonicVerdict = texts.harmonicVerdict};
    const std::string report =
        ExpandTemplate(bytes, ReportPlaceholders(facts, data.measurements, data.statistics));
    std::FILE* out = output.get();
    if (std::fwrite(report.data(), 1, report.size(), out) != report.size() ||
        std::fflush(out) != 0) {
        return fail(reportPath, errno);
    }
    if (std::fclose(output.release()) != 0) {
        return fail(reportPath, errno);
    }
    LogMessage(kLogModule, LogInfo, "Report written to %s", reportPath.c_str());
    return outcome;
}

}  // namespace voltaris
