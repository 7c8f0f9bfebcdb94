// CSV and report files of the commands.
#include "cli/ReportOutput.h"

#include <QJsonArray>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/CsvExport.h"
#include "files/HtmlReport.h"
#include "files/ReportTemplate.h"

namespace voltaris::cli {

namespace {

void printFailure(const char* command, const std::string& path, const std::string& error) {
    std::fprintf(stderr, "%s: %s: %s\n", command, path.c_str(), error.c_str());
}

}  // namespace

bool WriteCsvFile(const char* command, const std::string& path, const MeasurementSet& m) {
    const FileOutcome outcome = WriteCsvExport(path, m);
    if (!outcome.ok) {
        printFailure(command, path, outcome.error);
    }
    return outcome.ok;
}

std::optional<QJsonObject> WriteCliReport(const char* command, const CliReportRequest& request,
                                          const PageData& data) {
    ReportJob job;
    job.dateText = ReportDateText(ReadLocalClock());
    std::error_code error;
    std::filesystem::create_directories(request.folder, error);
    if (error) {
        printFailure(command, request.folder, error.message());
        return std::nullopt;
    }
    job.folder = request.folder;
    if (!job.folder.ends_with('/')) {
        job.folder += '/';
    }
    const std::vector<std::string> folders = ReportResourceFolders(request.applicationFolder);
    job.templatePath = request.templatePath.empty()
                           ? FindReportResource(folders, kReportTemplateName)
                           : request.templatePath;
    job.logoPath = FindReportResource(folders, kReportLogoName);
    job.hardwareVersion = request.hardwareVersion;
    const ReportOutcome outcome = WriteHtmlReport(job, data);
    if (!outcome.result.ok) {
        printFailure(command, outcome.failedPath, outcome.result.error);
        return std::nullopt;
    }
    QJsonArray images;
    for (const std::string& image : outcome.images) {
        images.append(QString::fromStdString(image));
    }
    return QJsonObject{{"report", QString::fromStdString(outcome.report)},
                       {"images", images},
                       {"logo", QString::fromStdString(outcome.logo)}};
}

}  // namespace voltaris::cli
