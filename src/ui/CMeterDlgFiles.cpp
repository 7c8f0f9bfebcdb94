// What leaves the window as files: "Export CSV" (the samples of the last capture) and "Report"
// (images, logo and HTML of the last capture in a chosen folder). Both run on the UI thread
// while no acquisition runs, so the measurement they read stays as it is.
#include <QApplication>
#include <QCursor>
#include <iterator>

#include "files/CsvExport.h"
#include "files/HtmlReport.h"
#include "files/ReportTemplate.h"
#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/DisplayUpdate.h"
#include "ui/MessageService.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr int kStrOutputFileName = 141;  // "Ouout file name"
constexpr int kStrCsvCreated = 142;
constexpr int kStrReportFolderTitle = 143;
constexpr int kStrReportGenerated = 144;  // "Report generated under %s"
constexpr const char* kErrorCaption = "Error";
constexpr const char* kOkCaption = "Ok !";

// The wait cursor for the duration of a file action.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// `text` with its first "%s" replaced by `value`; the value itself is not scanned.
std::string fillIn(const std::string& text, const std::string& value) {
    const std::size_t at = text.find("%s");
    if (at == std::string::npos) {
        return text;
    }
    return text.substr(0, at) + value + text.substr(at + 2);
}

}  // namespace

void CMeterDlg::OnExportCsv() {
    LogMessage(kLogModule, LogDebug1, "OnExportCsv");
    const SaveFileRequest request{
        .title = string(kStrOutputFileName).toStdString(),
        .defaultName = kCsvDefaultName,
        .defaultSuffix = kCsvDefaultSuffix,
        .nameFilters = {std::begin(kCsvNameFilters), std::end(kCsvNameFilters)}};
    const std::optional<std::string> path = m_options.saveFileChooser
                                                ? m_options.saveFileChooser(this, request)
                                                : RunSaveFileDialog(this, request);
    if (!path) {
        return;
    }
    FileOutcome outcome;
    {
        const BusyCursor busy;
        outcome = WriteCsvExport(*path, *m_measurements);
    }
    if (!outcome.ok) {
        LogMessage(kLogModule, LogError, "CSV export to %s failed: %s", path->c_str(),
                   outcome.error.c_str());
        (void)m_messages.show(this, outcome.error, kErrorCaption);
        return;
    }
    (void)m_messages.show(this, string(kStrCsvCreated).toStdString(), kOkCaption);
}

void CMeterDlg::OnReport() {
    LogMessage(kLogModule, LogDebug1, "OnReport");
    ReportJob job;
    job.dateText = ReportDateText(ReadLocalClock());
    const std::optional<std::string> folder =
        folderChooser().chooseFolder(this, string(kStrReportFolderTitle).toStdString(), ".");
    if (!folder) {
        return;
    }
    job.folder = *folder;
    const std::vector<std::string> resources = ReportResourceFolders(m_applicationFolder);
    job.templatePath = FindReportResource(resources, kReportTemplateName);
    job.logoPath = FindReportResource(resources, kReportLogoName);
    job.hardwareVersion = m_analysedHardwareVersion;
    job.texts = m_display->texts();
    const PageData data{*m_measurements, m_stats, m_shared->calibration(),
                        m_display->readControls()};
    ReportOutcome outcome;
    {
        const BusyCursor busy;
        outcome = WriteHtmlReport(job, data);
    }
    if (!outcome.result.ok) {
        (void)m_messages.show(this, outcome.result.error, kErrorCaption);
        return;
    }
    (void)m_messages.show(this, fillIn(string(kStrReportGenerated).toStdString(), job.folder),
                          kOkCaption);
}

}  // namespace voltaris
