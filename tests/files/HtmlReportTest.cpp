// The report folder: eleven images, the logo copy and the report written from the program's own
// template, which uses every placeholder and every image; each file failure stops the report
// with the system's text and leaves what was written; where the template and logo are found.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ReportFixtures.h"
#include "files/HtmlReport.h"
#include "files/ReportTemplate.h"
#include "support/TempDir.h"

namespace voltaris::test {

namespace {

namespace fs = std::filesystem;

const char* const kImages[] = {
    "WaveVoltageCurrent.png", "WavePower.png",     "InrushVoltage.png",    "InrushCurrent.png",
    "InrushPower.png",        "InrushPfactor.png", "HarmonicsVoltage.png", "HarmonicsCurrent.png",
    "XYVoltageCurrent.png",   "EnergyPower.png",   "EnergyCumulated.png",
};

class HtmlReport : public ::testing::Test {
public:
    HtmlReport() : load(12, 3) {
        fs::create_directories(m_dir.path() / "app");
        fs::create_directories(m_dir.path() / "out");
        for (const char* name : {kReportTemplateName, kReportLogoName}) {
            fs::copy_file(ShippedResource(name), m_dir.path() / "app" / name);
        }
        job.folder = m_dir.file("out/");
        job.templatePath = m_dir.file("app/" + std::string(kReportTemplateName));
        job.logoPath = m_dir.file("app/" + std::string(kReportLogoName));
        job.dateText = ReportDateText(kSeventhOfDecember);
        job.hardwareVersion = 2;
        selections.title = "Motor <5 kW> 100%";
        selections.harmonics.limitClass = kClassA;
        calibration.serialNumber = 1234;
        calibration.lastCalibrationDate = 7122026;
    }

    ReportOutcome write() {
        const PageData data{*load.m, load.statistics, calibration, selections};
        return WriteHtmlReport(job, data);
    }
    std::string out(const std::string& name) const { return m_dir.file("out/" + name); }

    TempDir m_dir;
    AnalysedLoad load;
    ReportJob job;
    PageSelections selections;
    CalibrationParams calibration;
};

}  // namespace

TEST_F(HtmlReport, WritesTheImagesTheLogoAndTheReportFromTheShippedTemplate) {
    const ReportOutcome outcome = write();
    ASSERT_TRUE(outcome.result.ok) << outcome.result.error;
    ASSERT_EQ(outcome.images.size(), std::size(kImages));
    for (std::size_t k = 0; k < std::size(kImages); ++k) {
        EXPECT_EQ(outcome.images[k], out(kImages[k]));
        EXPECT_FALSE(QImage(QString::fromStdString(outcome.images[k])).isNull()) << kImages[k];
    }
    EXPECT_EQ(outcome.logo, out(kReportLogoName));
    EXPECT_EQ(ReadFile(outcome.logo), ReadFile(job.logoPath));
    EXPECT_EQ(outcome.report, out("VoltarisReport.html"));

    const std::string templ = ReadFile(job.templatePath);
    const std::string report = ReadFile(outcome.report);
    // The template shows every image, the logo and every placeholder; none is left in the report.
    for (const char* image : kImages) {
        EXPECT_NE(templ.find(std::string("src=\"") + image + "\""), std::string::npos) << image;
    }
    EXPECT_NE(templ.find("src=\"KORVEX.gif\""), std::string::npos);
    ReportFacts facts;
    for (const Placeholder& p : ReportPlaceholders(facts, *load.m, load.statistics)) {
        EXPECT_NE(templ.find(p.name), std::string::npos) << p.name;
        EXPECT_EQ(report.find(p.name), std::string::npos) << p.name;
    }
    // Every line ends in CR LF and the report has one more line end than the template lines.
    std::size_t lineFeeds = 0;
    for (std::size_t k = 0; k < report.size(); ++k) {
        if (report[k] == '\n') {
            ++lineFeeds;
            EXPECT_TRUE(k > 0 && report[k - 1] == '\r') << "at " << k;
        }
    }
    const auto templateLines =
        static_cast<std::size_t>(std::count(templ.begin(), templ.end(), '\n'));
    EXPECT_EQ(lineFeeds, templateLines + 1);
    EXPECT_TRUE(report.ends_with("</html>\r\n\r\n"));
    for (const char* text :
         {"<h1>Motor &lt;5 kW&gt; 100%</h1>", "<span>1234</span>", "<span>07122026</span>",
          "<span>2</span>", "<span>10</span>", "Date 07/12/26, curent time 14:05:09 and 042ms",
          "IEC 61000-3-2 edition 2.2 Class A"}) {
        EXPECT_NE(report.find(text), std::string::npos) << text;
    }
    EXPECT_TRUE(report.find("data-verdict=\"OK\"") != std::string::npos ||
                report.find("data-verdict=\"FAILED") != std::string::npos);
}

TEST_F(HtmlReport, TheShippedLogoIsAGifTheBrowserAndQtRead) {
    const QImage logo(QString::fromStdString(ShippedResource(kReportLogoName).string()), "GIF");
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(232, 60));
    EXPECT_EQ(logo.pixel(200, 2) & 0xFFFFFF, 0xFFFFFFu);  // white ground
    EXPECT_EQ(logo.pixel(8, 30) & 0xFFFFFF, 0x1B2A4Au);   // the navy emblem
    EXPECT_EQ(logo.pixel(28, 27) & 0xFFFFFF, 0xF5A623u);  // its amber bolt
}

TEST_F(HtmlReport, AFileFailureStopsWithTheSystemsTextAndKeepsWhatWasWritten) {
    struct Case {
        const char* name;
        void (*spoil)(HtmlReport&);
        int error;
        bool logoCopied;
    };
    const Case cases[] = {
        {"missing logo", [](HtmlReport& t) { t.job.logoPath += ".missing"; }, ENOENT, false},
        {"missing template", [](HtmlReport& t) { t.job.templatePath += ".missing"; }, ENOENT, true},
        {"report is a folder",
         [](HtmlReport& t) { fs::create_directory(t.out("VoltarisReport.html")); }, EISDIR, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_dir.path() / "out");
        fs::create_directory(m_dir.path() / "out");
        const ReportJob kept = job;
        c.spoil(*this);
        const ReportOutcome outcome = write();
        job = kept;
        EXPECT_FALSE(outcome.result.ok);
        EXPECT_EQ(outcome.result.error, std::strerror(c.error));
        EXPECT_EQ(outcome.images.size(), std::size(kImages));
        for (const char* image : kImages) {
            EXPECT_TRUE(fs::is_regular_file(out(image))) << image;
        }
        EXPECT_EQ(fs::exists(out(kReportLogoName)), c.logoCopied);
        EXPECT_FALSE(fs::is_regular_file(out("VoltarisReport.html")));
    }
}

TEST_F(HtmlReport, WrittenIntoTheApplicationFolderItKeepsItsLogo) {
    job.folder = m_dir.file("app/");
    const ReportOutcome outcome = write();
    EXPECT_TRUE(outcome.result.ok) << outcome.result.error;
    EXPECT_EQ(ReadFile(job.logoPath), ReadFile(ShippedResource(kReportLogoName)));
    EXPECT_TRUE(fs::is_regular_file(m_dir.file("app/VoltarisReport.html")));
}

TEST(ReportResources, FoundInTheFirstFolderThatHoldsThem) {
    TempDir dir;
    for (const char* folder : {"first", "second", "third"}) {
        fs::create_directory(dir.path() / folder);
    }
    std::ofstream(dir.path() / "second" / kReportTemplateName) << "second";
    std::ofstream(dir.path() / "third" / kReportTemplateName) << "third";
    fs::create_directory(dir.path() / "first" / kReportLogoName);  // a folder is no logo
    std::ofstream(dir.path() / "third" / kReportLogoName) << "logo";
    const std::vector<std::string> folders = {dir.file("first"), dir.file("second"),
                                              dir.file("third")};
    EXPECT_EQ(FindReportResource(folders, kReportTemplateName),
              dir.file("second/" + std::string(kReportTemplateName)));
    EXPECT_EQ(FindReportResource(folders, kReportLogoName),
              dir.file("third/" + std::string(kReportLogoName)));
    EXPECT_EQ(FindReportResource(folders, "nowhere.html"), dir.file("first/nowhere.html"));

    // The start-up folder first, then the program's folder, then the installed data folder.
    const std::vector<std::string> searched = ReportResourceFolders("/start/up");
    const std::string program = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(searched,
              (std::vector<std::string>{"/start/up", program, program + "/../share/voltaris",
                                        VOLTARIS_INSTALLED_DATA_DIR}));
}

}  // namespace voltaris::test
