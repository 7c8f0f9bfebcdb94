// The CSV export: the layout for each capture length, the number formats, CR LF line ends, and
// the file replaced or refused with the system's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ReportFixtures.h"
#include "files/CsvExport.h"
#include "support/TempDir.h"

namespace voltaris::test {

namespace {

// The text split at every "\r\n"; a line feed without its carriage return fails the test.
std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare line end in " << line;
    }
    return lines;
}

}  // namespace

TEST(CsvExport, SampleLinesKeepTheirFieldsWidths) {
    struct Case {
        std::size_t index;
        double voltage, current;
        const char* line;
    };
    const Case cases[] = {
        {0, 325.123, 1.20345, "    0, 325.123, 1.20345\r\n"},
        {42, -325.123, -1.20345, "   42, -325.123, -1.20345\r\n"},
        {7, 0.00049, 0.000004, "    7, 0.000, 0.00000\r\n"},
        {99999, 1.0005, 12.3456789, "99999, 1.000, 12.34568\r\n"},  // 1.0005 is below it in binary
        {100000, -0.5, 0, "100000, -0.500, 0.00000\r\n"},           // wider than five places
        {1234567, 1000.25, -99.999994, "1234567, 1000.250, -99.99999\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvSampleLine(c.index, c.voltage, c.current), c.line) << c.index;
    }
}

TEST(CsvExport, HoldsTwoHundredFiftySixLinesPerAnalysedPeriod) {
    // 0: before any capture, nothing analysed.
    for (const std::uint32_t blocks : {0u, 3u, 12u, 87u}) {
        const AnalysedLoad load(std::max(blocks, 3u), blocks == 0 ? 0 : 1);
        const std::vector<std::string> lines =
            CrLfLines(CsvExportText(*load.m, kSeventhOfDecember));
        const std::size_t samples = blocks == 0 ? 0 : (blocks - 2) * 256;
        ASSERT_EQ(lines.size(), 5 + samples + 2) << blocks;
        EXPECT_EQ(lines[0], "Voltaris - KORVEX - Exported raw data file");
        EXPECT_EQ(lines[1], "");
        EXPECT_EQ(lines[2], "Current : 07/12/26 14:05:09,042");
        EXPECT_EQ(lines[3], "");
        EXPECT_EQ(lines[4], "Sample #,Voltage (V),Current(A)");
        EXPECT_EQ(lines[5 + samples], "End of dump");
        EXPECT_EQ(lines.back(), "");  // the file ends with its line end
        for (std::size_t k = 0; k < samples; k += samples / 7) {
            int index = -1;
            double voltage = 0, current = 0;
            ASSERT_EQ(std::sscanf(lines[5 + k].c_str(), "%d, %lf, %lf", &index, &voltage, &current),
                      3)
                << lines[5 + k];
            EXPECT_EQ(index, static_cast<int>(k));
            EXPECT_NEAR(voltage, load.m->Voltage[k], 0.0005);
            EXPECT_NEAR(current, load.m->Current[k], 0.000005);
        }
    }
}

TEST(CsvExport, ReplacesAnExistingFileAndReportsTheSystemsText) {
    TempDir dir;
    const AnalysedLoad load(3);
    const std::string existing = dir.file("existing.csv");
    std::ofstream(existing) << std::string(500000, 'x');
    const FileOutcome replaced = WriteCsvExport(existing, *load.m, kSeventhOfDecember);
    EXPECT_TRUE(replaced.ok) << replaced.error;
    EXPECT_EQ(ReadFile(existing), CsvExportText(*load.m, kSeventhOfDecember));

    // Stamped with the local clock when no time is given: the same layout.
    ASSERT_TRUE(WriteCsvExport(existing, *load.m).ok);
    EXPECT_EQ(ReadFile(existing).size(), CsvExportText(*load.m, kSeventhOfDecember).size());

    struct Failure {
        std::string path;
        int error;
    };
    const Failure failures[] = {
        {dir.file("missing/folder/data.csv"), ENOENT},  // cannot be created
        {"/dev/full", ENOSPC},                          // created, then the write fails
    };
    for (const Failure& f : failures) {
        const FileOutcome outcome = WriteCsvExport(f.path, *load.m, kSeventhOfDecember);
        EXPECT_FALSE(outcome.ok) << f.path;
        EXPECT_EQ(outcome.error, std::strerror(f.error)) << f.path;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

}  // namespace voltaris::test
