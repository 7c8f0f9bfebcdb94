// "Export CSV" and "Report" in the window against the demonstration source: the save dialog's
// request, the files written from the last capture, the messages, cancelling, and failures
// with the system's text; and the real save-file dialog on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "acquisition/WorkerPhase.h"
#include "files/CsvExport.h"
#include "files/HtmlReport.h"
#include "support/TempDir.h"
#include "support/WindowHarness.h"
#include "ui/MainControls.h"

namespace voltaris::test {

namespace {

namespace fs = std::filesystem;

class ScriptedFolderChooser final : public FolderChooser {
public:
    std::optional<std::string> chooseFolder(QWidget* /*parent*/, const std::string& title,
                                            const std::string& initialFolder) override {
        calls.emplace_back(title, initialFolder);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::pair<std::string, std::string>> calls;
};

// Files in `folder` and below.
std::size_t FileCount(const fs::path& folder) {
    std::size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        n += entry.is_regular_file() ? 1 : 0;
    }
    return n;
}

// The window started in the application folder (holding the shipped template and logo), its
// first capture drawn and the acquisition stopped, so that both buttons are enabled.
class FilesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.path() / "app");
        for (const char* name : {kReportTemplateName, kReportLogoName}) {
            fs::copy_file(fs::path(VOLTARIS_RESOURCES_DIR) / name, m_dir.path() / "app" / name);
        }
        m_startFolder = fs::current_path();
        fs::current_path(m_dir.path() / "app");
        StartupOptions options = TestOptions();
        options.folderChooser = m_chooser;
        options.saveFileChooser = [this](QWidget*, const SaveFileRequest& request) {
            m_saveRequests.push_back(request);
            return m_savePath;
        };
        m_window = std::make_unique<WindowUnderTest>(m_messages, std::move(options));
        ASSERT_TRUE(m_window->initialised);
        CMeterDlg& w = **m_window;
        ASSERT_TRUE(WaitForCaptures(w, 1));
        QTest::mouseClick(w.controls().stop, Qt::LeftButton);
        ASSERT_TRUE(WaitForDrawnPhase(w, WorkerPhaseStopped));
        w.UpdateDisplay();
        ASSERT_TRUE(w.controls().exportCsv->isEnabled() && w.controls().report->isEnabled());
        m_shownBefore = m_messages.shown().size();
    }
    void TearDown() override {
        m_window.reset();
        fs::current_path(m_startFolder);
    }

    CMeterDlg& window() { return **m_window; }
    // The boxes shown since the set-up.
    std::vector<ShownMessage> shown() const {
        return {m_messages.shown().begin() + static_cast<long>(m_shownBefore),
                m_messages.shown().end()};
    }

    TempDir m_dir;
    fs::path m_startFolder;
    AutoAnswerMessageService m_messages{false};
    std::shared_ptr<ScriptedFolderChooser> m_chooser = std::make_shared<ScriptedFolderChooser>();
    std::optional<std::string> m_savePath;
    std::vector<SaveFileRequest> m_saveRequests;
    std::unique_ptr<WindowUnderTest> m_window;
    std::size_t m_shownBefore = 0;
};

}  // namespace

TEST_F(FilesWindow, ExportCsvWritesTheLastCaptureAndSaysSo) {
    m_savePath = m_dir.file("export.csv");
    QTest::mouseClick(window().controls().exportCsv, Qt::LeftButton);

    ASSERT_EQ(m_saveRequests.size(), 1u);
    const SaveFileRequest& request = m_saveRequests.front();
    EXPECT_EQ(request.title, "Ouout file name");
    EXPECT_EQ(request.defaultName, "voltaris_data");
    EXPECT_EQ(request.defaultSuffix, "csv");
    EXPECT_EQ(request.nameFilters,
              (std::vector<std::string>{"Comma separated file (*.csv)", "Text files (*.txt)"}));
    EXPECT_EQ(shown(), (std::vector<ShownMessage>{{"CSV file created !", "Ok !"}}));

    // The demonstration's ten periods, as the analysis left them; only the time stamp differs.
    const MeasurementSet& m = window().measurements();
    ASSERT_EQ(m.PeriodsAnalysed, 10u);
    const std::string written = ReadFile(*m_savePath);
    const std::string expected = CsvExportText(m, {});
    const std::size_t header = expected.find("Sample #");
    ASSERT_NE(written.find("Sample #"), std::string::npos);
    EXPECT_EQ(written.substr(written.find("Sample #")), expected.substr(header));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2560 + 6);
}

TEST_F(FilesWindow, ExportCsvCancelledOrRefusedWritesNothing) {
    m_savePath.reset();  // the user cancels
    QTest::mouseClick(window().controls().exportCsv, Qt::LeftButton);
    EXPECT_EQ(m_saveRequests.size(), 1u);
    EXPECT_TRUE(shown().empty());

    m_savePath = m_dir.file("no/such/folder/export.csv");
    QTest::mouseClick(window().controls().exportCsv, Qt::LeftButton);
    EXPECT_EQ(shown(), (std::vector<ShownMessage>{{std::strerror(ENOENT), "Error"}}));
    EXPECT_EQ(FileCount(m_dir.path()), 2u);  // the template and the logo
}

TEST_F(FilesWindow, ReportWritesTheFolderFromTheLastCapture) {
    fs::create_directory(m_dir.path() / "report");
    m_chooser->answer = m_dir.file("report/");
    TypeInto(*window().controls().title, "Pump <P1> 50% & more");
    QTest::mouseClick(window().controls().report, Qt::LeftButton);

    EXPECT_EQ(
        m_chooser->calls,
        (std::vector<std::pair<std::string, std::string>>{{"Report directory selection", "."}}));
    EXPECT_EQ(
        shown(),
        (std::vector<ShownMessage>{{"Report generated under " + *m_chooser->answer, "Ok !"}}));
    EXPECT_EQ(FileCount(m_dir.path() / "report"), 13u);  // eleven images, the logo, the report
    const std::string report = ReadFile(m_dir.path() / "report" / "VoltarisReport.html");
    for (const char* text :
         {"<h1>Pump &lt;P1&gt; 50% &amp; more</h1>", "<span>9999</span>", "<span>99999999</span>",
          "Standard: <strong>N/A</strong>", "data-verdict=\"n/a\""}) {
        EXPECT_NE(report.find(text), std::string::npos) << text;
    }
}

TEST_F(FilesWindow, ReportCancelledWritesNothingNotEvenImages) {
    m_chooser->answer.reset();
    QTest::mouseClick(window().controls().report, Qt::LeftButton);
    EXPECT_EQ(m_chooser->calls.size(), 1u);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(FileCount(m_dir.path()), 2u);
}

TEST_F(FilesWindow, ReportThatCannotBeCreatedShowsTheSystemsText) {
    fs::create_directories(m_dir.path() / "report" / "VoltarisReport.html");
    m_chooser->answer = m_dir.file("report/");
    QTest::mouseClick(window().controls().report, Qt::LeftButton);
    EXPECT_EQ(shown(), (std::vector<ShownMessage>{{std::strerror(EISDIR), "Error"}}));
    // The images and the logo stay.
    EXPECT_EQ(FileCount(m_dir.path() / "report"), 12u);
}

TEST(SaveFileDialog, OffersTheRequestAndAsksBeforeOverwriting) {
    TempDir dir;
    const SaveFileRequest request{
        .title = "Ouout file name",
        .defaultName = "voltaris_data",
        .defaultSuffix = "csv",
        .nameFilters = {"Comma separated file (*.csv)", "Text files (*.txt)"}};
    // Accepts with a name typed without its extension, then cancels.
    for (const bool accept : {true, false}) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || seen) {
                return;
            }
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), "Ouout file name");
            EXPECT_EQ(dialog->defaultSuffix(), "csv");
            EXPECT_EQ(dialog->nameFilters(),
                      QStringList({"Comma separated file (*.csv)", "Text files (*.txt)"}));
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(name->text(), "voltaris_data");
            if (accept) {
                // The dialog applies its initial selection again once its folder is listed, in
                // the background: the name is typed until it stays.
                for (int tries = 0; tries < 40 && name->text() != dir.filePath("picked");
                     ++tries) {
                    name->setText(dir.filePath("picked"));
                    QTest::qWait(50);
                }
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the name
            } else {
                dialog->reject();
            }
        });
        poll.start(20);
        const std::optional<std::string> path = RunSaveFileDialog(nullptr, request);
        EXPECT_TRUE(seen);
        if (accept) {
            EXPECT_EQ(path, dir.file("picked.csv"));
        } else {
            EXPECT_FALSE(path);
        }
    }
}

}  // namespace voltaris::test
