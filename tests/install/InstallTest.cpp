// The installed tree: this build installed into a temporary prefix holds the three programs,
// the report's template and logo in share/voltaris, the menu entry and its icons; the installed
// voltaris-cli, run from a folder without any of the resources, writes its report with the
// template of share/voltaris, and names the template when that one is missing too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "acquisition/RawCaptureFile.h"
#include "support/ChildProcess.h"
#include "support/SyntheticCapture.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplate = "share/voltaris/VoltarisReportTemplate.html";
constexpr const char* kMarker = "<!-- the installed copy -->";

class InstalledTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.valid());
        m_prefix = m_dir.path() / "prefix";
        const test::ProgramRun install =
            test::RunProgram(VOLTARIS_CMAKE_COMMAND,
                             {"--install", VOLTARIS_BUILD_DIR, "--prefix", m_prefix.string()});
        ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
        // The programs run from a folder that holds no resources, far from the build tree.
        fs::create_directories(m_dir.path() / "work");
        m_previousFolder = fs::current_path();
        fs::current_path(m_dir.path() / "work");
    }
    void TearDown() override {
        if (!m_previousFolder.empty()) {
            fs::current_path(m_previousFolder);
        }
    }

    [[nodiscard]] std::string writeCapture() const {
        const test::SyntheticCapture c =
            test::makeCapture(12, test::sine(325), test::sine(2.0, -20), 0.0222550128f, 0.001f);
        CaptureBuffer buffer;
        buffer.blockCount = static_cast<std::int32_t>(c.raw.blockCount);
        std::copy(c.voltage.begin(), c.voltage.end(), buffer.voltage.begin());
        std::copy(c.current.begin(), c.current.end(), buffer.current.begin());
        std::string error;
        EXPECT_TRUE(WriteRawCaptureFile(m_dir.file("capture.bin"), buffer, error)) << error;
        return m_dir.file("capture.bin");
    }

    [[nodiscard]] test::ProgramRun report(const std::string& out) const {
        test::Environment environment;
        environment.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                           {"XDG_DATA_HOME", m_dir.file("data")}};
        return test::RunProgram((m_prefix / "bin/voltaris-cli").string(),
                                {"report", writeCapture(), "--out", out, "--title", "Installed"},
                                environment);
    }

    test::TempDir m_dir;
    fs::path m_prefix;
    fs::path m_previousFolder;
};

TEST_F(InstalledTree, HoldsTheProgramsTheReportFilesTheMenuEntryAndTheIcons) {
    struct Entry {
        const char* path;
        bool program;
    };
    const Entry entries[] = {
        {"bin/voltaris", true},
        {"bin/voltaris-cli", true},
        {"bin/voltaris-meter-sim", true},
        {kTemplate, false},
        {"share/voltaris/KORVEX.gif", false},
        {"share/applications/voltaris.desktop", false},
        {"share/icons/hicolor/256x256/apps/voltaris.png", false},
        {"share/icons/hicolor/64x64/apps/voltaris.png", false},
    };
    for (const Entry& entry : entries) {
        const fs::path path = m_prefix / entry.path;
        ASSERT_TRUE(fs::is_regular_file(path)) << entry.path;
        const bool executable =
            (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
        EXPECT_EQ(executable, entry.program) << entry.path;
    }
    const std::string desktop = test::ReadFile(m_prefix / "share/applications/voltaris.desktop");
    for (const char* line : {"[Desktop Entry]\n", "\nType=Application\n", "\nName=Voltaris\n",
                             "\nExec=voltaris\n", "\nIcon=voltaris\n", "\nCategories="}) {
        EXPECT_NE(desktop.find(line), std::string::npos) << line;
    }
    // Each icon is a PNG of the size of its folder (width and height of the IHDR chunk).
    for (const auto& [folder, side] : {std::pair{"256x256", 256}, std::pair{"64x64", 64}}) {
        const std::string png =
            test::ReadFile(m_prefix / "share/icons/hicolor" / folder / "apps/voltaris.png");
        ASSERT_GE(png.size(), 24u) << folder;
        EXPECT_EQ(png.substr(1, 3), "PNG") << folder;
        const auto big = [&](std::size_t at) {
            return (static_cast<unsigned char>(png[at]) << 24) |
                   (static_cast<unsigned char>(png[at + 1]) << 16) |
                   (static_cast<unsigned char>(png[at + 2]) << 8) |
                   static_cast<unsigned char>(png[at + 3]);
        };
        EXPECT_EQ(big(16), static_cast<unsigned>(side)) << folder;
        EXPECT_EQ(big(20), static_cast<unsigned>(side)) << folder;
    }
    const test::ProgramRun sim =
        test::RunProgram((m_prefix / "bin/voltaris-meter-sim").string(), {"--help"});
    EXPECT_EQ(sim.exitCode, 0) << sim.err;
}

TEST_F(InstalledTree, ReportUsesTheTemplateOfShareVoltaris) {
    // A mark only the installed template carries, so the report shows which copy it used.
    std::ofstream(m_prefix / kTemplate, std::ios::app) << kMarker << "\n";
    ASSERT_FALSE(fs::exists("VoltarisReportTemplate.html"));
    const std::string out = m_dir.file("report");
    const test::ProgramRun r = report(out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string html = test::ReadFile(out + "/VoltarisReport.html");
    EXPECT_NE(html.find(kMarker), std::string::npos);
    EXPECT_NE(html.find("Installed"), std::string::npos);
    EXPECT_EQ(test::ReadFile(out + "/KORVEX.gif"),
              test::ReadFile(m_prefix / "share/voltaris/KORVEX.gif"));
}

TEST_F(InstalledTree, ReportWithoutItsTemplateNamesIt) {
    if (fs::exists(fs::path(VOLTARIS_CONFIGURED_DATA_DIR) / "VoltarisReportTemplate.html")) {
        GTEST_SKIP() << "a template is installed in " << VOLTARIS_CONFIGURED_DATA_DIR;
    }
    fs::remove(m_prefix / kTemplate);
    const std::string out = m_dir.file("report");
    const test::ProgramRun r = report(out);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("VoltarisReportTemplate.html"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out + "/VoltarisReport.html"));
}

}  // namespace
}  // namespace voltaris
