// The download of card files into converted text files against the meter simulator: the block
// exchanges and their lengths, the conversion, a cancel, cut blocks, hostile names and a folder
// that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/LogDownload.h"
#include "meter-sim/SdCard.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using Strings = std::vector<std::string>;
constexpr int kFirstSecond = 8 * 3600;  // records are one second apart from 08:00:00 on
constexpr const char* kHeader = "Timestamp\tU RMS\tI RMS\tP RMS\tU Max\tI Max\tFrequency\r\n";

// `bytes` bytes of consecutive records; the last one cut when the size is not a multiple.
std::vector<std::uint8_t> logContent(std::size_t bytes) {
    std::vector<std::uint8_t> content =
        sim::makeLogRecords(static_cast<int>(bytes / kLogRecordBytes) + 1, kFirstSecond);
    content.resize(bytes);
    return content;
}

struct Converted {
    std::string header;
    std::vector<int> records;  // index of each line's record, from its time stamp
    bool crlfOnly = true;      // every line ends with CR LF
};

Converted readConverted(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    Converted out;
    std::string line;
    while (std::getline(in, line)) {
        out.crlfOnly = out.crlfOnly && !line.empty() && line.back() == '\r';
        if (out.header.empty()) {
            out.header = line + "\n";
            continue;
        }
        int h = 0, m = 0, s = 0;
        if (std::sscanf(line.c_str(), "%d:%d:%d", &h, &m, &s) == 3) {
            out.records.push_back(h * 3600 + m * 60 + s - kFirstSecond);
        }
    }
    return out;
}

std::vector<int> range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v < last; ++v) {
        values.push_back(v);
    }
    return values;
}

// Bytes read after each command written.
std::vector<std::size_t> exchangeBytes(const std::vector<test::PortCall>& calls) {
    std::vector<std::size_t> bytes;
    for (const test::PortCall& call : calls) {
        if (call.kind == test::PortCall::Write) {
            bytes.push_back(0);
        } else if (!bytes.empty()) {
            bytes.back() += call.moved;
        }
    }
    return bytes;
}

class RecordingProgress final : public DownloadProgress {
public:
    void fileStarted(int k, int n, const std::string& localName, int blocks) override {
        started.push_back(std::to_string(k) + "/" + std::to_string(n) + " " + localName + " " +
                          std::to_string(blocks));
        m_file = k;
    }
    void blockDone(int done) override {
        if (m_file == cancelInFile && done == cancelAfterBlock) {
            m_cancel = true;
        }
    }
    void message(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + ": " + text);
    }
    bool cancelRequested() override { return m_cancel; }

    int cancelInFile = -1;
    int cancelAfterBlock = -1;
    Strings started;
    Strings messages;

private:
    int m_file = 0;
    bool m_cancel = false;
};

class LogDownload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_meter.ready());
        m_meter.sim.clearLogFiles();
        std::filesystem::create_directory(m_dir.path() / "out");
    }

    // Puts the files on the card and downloads them all, as listed by the meter.
    DownloadReport download(const std::vector<std::pair<std::string, std::size_t>>& files,
                            RecordingProgress& progress, bool raw = false) {
        for (const auto& [name, bytes] : files) {
            EXPECT_TRUE(raw ? m_meter.sim.addRawLogFile(name, logContent(bytes))
                            : m_meter.sim.addLogFile(name, logContent(bytes)));
        }
        const std::vector<CardFile> listed =
            ParseFileList(SendListCommand(m_meter.link(), kEmptyReadsListDialog).reply);
        EXPECT_EQ(listed.size(), files.size());
        m_meter.sim.clearReceivedFrames();
        m_meter.link().clear();
        return DownloadLogFiles(m_meter.link(), folder(), listed, progress);
    }

    [[nodiscard]] std::string folder() const { return (m_dir.path() / "out" / "").string(); }
    [[nodiscard]] std::filesystem::path converted(const std::string& name) const {
        return m_dir.path() / "out" / (name + ".csv");
    }

    test::SimulatedMeter m_meter{test::GenerationConfig(2)};
    test::TempDir m_dir;
};

TEST_F(LogDownload, BlocksExchangedWithTheirExpectedLengths) {
    struct Case {
        const char* name;
        std::size_t size;
        Strings frames;
        std::vector<std::size_t> bytes;  // read after each X, framing included
        int records;
    };
    const Case cases[] = {
        {"EMPTY0", 0, {}, {}, 0},
        {"F27000", 27000, {"<XF27000 0000>"}, {27002}, 1000},
        {"F27001", 27001, {"<XF27001 0000>", "<XF27001 0001>"}, {27002, 3}, 1000},
        // 3 records and 13 bytes in the last block: the partial record is dropped.
        {"PART01", 27000 + 3 * 27 + 13, {"<XPART01 0000>", "<XPART01 0001>"}, {27002, 96}, 1003},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_meter.sim.clearLogFiles();
        RecordingProgress progress;
        const DownloadReport report = download({{c.name, c.size}}, progress);
        EXPECT_EQ(m_meter.sim.receivedFrames(), c.frames);
        EXPECT_EQ(exchangeBytes(m_meter.link().calls()), c.bytes);
        EXPECT_EQ(m_meter.link().emptyReads(), 0);  // no exchange waited for more bytes
        ASSERT_EQ(report.files.size(), 1u);
        EXPECT_TRUE(report.files[0].complete);
        EXPECT_EQ(report.files[0].records, c.records);
        EXPECT_EQ(report.files[0].path, converted(c.name).string());
        const Converted file = readConverted(converted(c.name));
        EXPECT_EQ(file.header, kHeader);
        EXPECT_EQ(file.records, range(0, c.records));
        EXPECT_TRUE(file.crlfOnly);
        EXPECT_TRUE(progress.messages.empty());
        EXPECT_EQ(DownloadEndMessage(report).text, "Download ended");
    }
}

TEST(LogConversion, RecordLinesWithSixDecimalsAndTheirTimeStamp) {
    std::vector<std::uint8_t> data;
    sim::appendLogRecord(data, {23, 59, 58, 231.5f, 0.25f, -57.875f, 327.5f, 1e6f, 49.5f});
    sim::appendLogRecord(data, {-1, 5, 7, 0.0f, 1.0f / 1024, 1.5e-7f, 2.0f, 3.0f, 50.0f});
    data.resize(data.size() + 26, 0x41);  // a partial record
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(ConvertLogBlock(data, out), 2);
    std::rewind(out);
    char text[512] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(text, length),
              "23:59:58\t231.500000\t0.250000\t-57.875000\t327.500000\t1000000.000000\t49.500000"
              "\r\n"
              "-1:05:07\t0.000000\t0.000977\t0.000000\t2.000000\t3.000000\t50.000000\r\n");
}

TEST_F(LogDownload, CancelDuringTheThirdBlockOfTheSecondFileEndsAfterIt) {
    RecordingProgress progress;
    progress.cancelInFile = 2;
    progress.cancelAfterBlock = 3;
    const DownloadReport report =
        download({{"LOGA01", 2700}, {"LOGB02", 4 * 27000}, {"LOGC03", 270}}, progress);
    EXPECT_EQ(m_meter.sim.receivedFrames(),
              (Strings{"<XLOGA01 0000>", "<XLOGB02 0000>", "<XLOGB02 0001>", "<XLOGB02 0002>"}));
    EXPECT_TRUE(report.cancelled);
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_TRUE(report.files[0].complete);
    EXPECT_FALSE(report.files[1].complete);
    EXPECT_EQ(readConverted(converted("LOGB02")).records, range(0, 3000));  // closed whole
    EXPECT_FALSE(std::filesystem::exists(converted("LOGC03")));
    EXPECT_EQ(progress.started, (Strings{"1/3 LOGA01.csv 1", "2/3 LOGB02.csv 4"}));
    const DownloadEnd end = DownloadEndMessage(report);
    EXPECT_EQ(end.text, "Download stopped");
    EXPECT_EQ(end.caption, "ERROR !");
}

TEST_F(LogDownload, CutBlockGivesOnlyTheRecordsThatArrivedAndTheDownloadGoesOn) {
    // Replies to X of block 1 stop after `at` bytes: nothing at all, or the opening byte and
    // 10000 data bytes (370 whole records).
    for (const int at : {0, 10001}) {
        SCOPED_TRACE(at);
        m_meter.sim.clearLogFiles();
        m_meter.sim.setFaults(sim::Faults{.cutLogBlock = 1, .cutLogBlockAt = at});
        RecordingProgress progress;
        const DownloadReport report = download({{"CUT001", 3 * 27000}, {"NEXT01", 270}}, progress);
        const int arrived = at > 0 ? (at - 1) / 27 : 0;
        ASSERT_EQ(report.files.size(), 2u);
        EXPECT_FALSE(report.files[0].complete);
        EXPECT_EQ(report.files[0].records, 2000 + arrived);
        std::vector<int> expected = range(0, 1000 + arrived);
        const std::vector<int> third = range(2000, 3000);
        expected.insert(expected.end(), third.begin(), third.end());
        // Never a record left in the buffer by block 0.
        EXPECT_EQ(readConverted(converted("CUT001")).records, expected);
        EXPECT_TRUE(report.files[1].complete);
        EXPECT_EQ(readConverted(converted("NEXT01")).records, range(0, 10));
        const Strings frames = m_meter.sim.receivedFrames();
        EXPECT_EQ(frames.back(), "<XNEXT01 0000>");
        EXPECT_EQ(frames[frames.size() - 2], "<XCUT001 0002>");
        const DownloadEnd end = DownloadEndMessage(report);
        EXPECT_EQ(end.text, "Download ended, incomplete file(s) : CUT001.csv");
        EXPECT_EQ(end.caption, "ERROR !");
    }
}

TEST_F(LogDownload, HostileNamesAreRefusedAndNothingIsWrittenOutsideTheFolder) {
    RecordingProgress progress;
    const DownloadReport report = download({{"../abc", 270},
                                            {"GOOD01", 270},
                                            {"a/b123", 270},
                                            {"..\\xyz", 270},
                                            {std::string("AB\0CDE", 6), 270},
                                            {"AB\x01"
                                             "CDE",
                                             270}},
                                           progress, true);
    EXPECT_EQ(progress.messages,
              (Strings{"ERROR !: Invalid file name on the SD card, file skipped : ../abc",
                       "ERROR !: Invalid file name on the SD card, file skipped : a/b123",
                       "ERROR !: Invalid file name on the SD card, file skipped : ..\\xyz",
                       "ERROR !: Invalid file name on the SD card, file skipped : AB\\x00CDE",
                       "ERROR !: Invalid file name on the SD card, file skipped : AB\\x01CDE"}));
    EXPECT_EQ(m_meter.sim.receivedFrames(), Strings{"<XGOOD01 0000>"});
    ASSERT_EQ(report.files.size(), 6u);
    for (const DownloadedFile& file : report.files) {
        EXPECT_EQ(file.complete, file.name == "GOOD01") << PrintableCardFileName(file.name);
        EXPECT_EQ(file.path.empty(), file.name != "GOOD01");
    }
    Strings written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.path())) {
        written.push_back(std::filesystem::relative(entry.path(), m_dir.path()).string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (Strings{"out", "out/GOOD01.csv"}));
    // The skipped files had their message; the download itself ended normally.
    EXPECT_EQ(DownloadEndMessage(report).text, "Download ended");
}

TEST_F(LogDownload, FileThatCannotBeCreatedIsSkippedWithItsMessage) {
    std::filesystem::remove(m_dir.path() / "out");  // the chosen folder went away
    RecordingProgress progress;
    const DownloadReport report = download({{"LOG001", 270}, {"LOG002", 270}}, progress);
    EXPECT_EQ(progress.messages, Strings(2, "ERROR !: Target file opened"));
    EXPECT_TRUE(m_meter.sim.receivedFrames().empty());
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_FALSE(report.files[0].complete);
    EXPECT_TRUE(report.files[0].path.empty());
}

}  // namespace
}  // namespace voltaris
