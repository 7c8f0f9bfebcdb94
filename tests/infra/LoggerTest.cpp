// What the log writes, and where, for each configuration; trimming of a full file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QStandardPaths>

#include "infra/Log.h"
#include "infra/LogFixture.h"
#include "infra/Logger.h"

namespace voltaris {
namespace {

using test::LogFileLines;
using test::ReadFile;

class LoggerTest : public test::LogFixture {
protected:
    Logger m_logger{LogProfileStore(), [] { return test::FixedLogTime(); }};
};

TEST_F(LoggerTest, DisabledLogWritesNothingAndCreatesNoFile) {
    test::SetLogConfig({{"PathLog", QString::fromStdString(m_dir)}, {"LogCritic", 1}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogCritic, "unset"), 0);
    enableLog({{"EnableLog", 0}, {"LogCritic", 1}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogCritic, "zero"), 0);
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(LoggerTest, CallsBeforeInitWriteNothing) {
    enableLog({{"LogInfo", 1}});
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "early"), 0);
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(LoggerTest, MasterSwitchIsReadOnlyAtInit) {
    enableLog({{"LogInfo", 1}});
    m_logger.init("VoltarisRT");
    enableLog({{"EnableLog", 0}, {"LogInfo", 1}});
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "still on"), 0);
    EXPECT_EQ(LogFileLines(logPath()).size(), 1u);
}

TEST_F(LoggerTest, WritesTheLineLayoutWithCrLf) {
    enableLog({{"LogDebug1", 1}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogDebug1, "On%s", "Run"), 0);
    EXPECT_EQ(ReadFile(logPath()), "07/12/26 07:14:38,123 VoltarisRT       DEBUG1  OnRun\r\n");
}

TEST_F(LoggerTest, OnlySwitchedOnLevelsAreWritten) {
    enableLog({{"LogInfo", 1}});
    m_logger.init("VoltarisRT");
    for (int level = -1; level <= 9; ++level) {
        EXPECT_EQ(m_logger.write("voltaris", level, "level %d", level), 0);
    }
    const auto lines = LogFileLines(logPath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(39), "INFO    level 5");
}

TEST_F(LoggerTest, LevelSwitchChangeAppliesAtTheNextCall) {
    enableLog({{"LogInfo", 1}});
    m_logger.init("VoltarisRT");
    m_logger.write("voltaris", LogDebug1, "before");
    enableLog({{"LogInfo", 1}, {"LogDebug1", 1}});
    m_logger.write("voltaris", LogDebug1, "after");
    const auto lines = LogFileLines(logPath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(47), "after");
}

TEST_F(LoggerTest, MessageFilterIsCaseSensitiveSubstring) {
    enableLog({{"LogInfo", 1}, {"FiltMsg", "COM"}});
    m_logger.init("VoltarisRT");
    m_logger.write("voltaris", LogInfo, "open COM%d", 5);
    m_logger.write("voltaris", LogInfo, "open com5");
    m_logger.write("voltaris", LogInfo, "bytes read: 12");
    const auto lines = LogFileLines(logPath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(47), "open COM5");
}

TEST_F(LoggerTest, ProcessFilterSelectsProcessesByName) {
    enableLog({{"LogInfo", 1}, {"FiltProcess", "Other"}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "suppressed"), 0);
    EXPECT_FALSE(std::filesystem::exists(logPath()));
    enableLog({{"LogInfo", 1}, {"FiltProcess", "arisR"}});
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "kept"), 0);
    EXPECT_EQ(LogFileLines(logPath()).size(), 1u);
}

TEST_F(LoggerTest, FileIsNamedAfterTheModuleInPathLog) {
    enableLog({{"LogInfo", 1}, {"PathLog", QString::fromStdString(m_dir + "/")}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "a"), 0);
    EXPECT_EQ(m_logger.write("other", LogInfo, "b"), 0);
    EXPECT_EQ(LogFileLines(m_dir + "/voltaris.log").size(), 1u);
    EXPECT_EQ(LogFileLines(m_dir + "/other.log").size(), 1u);
    EXPECT_EQ(LogFilePath("/a/b", "voltaris"), "/a/b/voltaris.log");
    EXPECT_EQ(LogFilePath("/a/b/", "voltaris"), "/a/b/voltaris.log");
}

TEST_F(LoggerTest, DefaultFolderIsCreatedWhenFirstNeeded) {
    const std::string dataHome = m_dir + "/data";
    const std::string saved = std::getenv("XDG_DATA_HOME");
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    test::SetLogConfig({{"EnableLog", 1}, {"LogInfo", 1}});
    m_logger.init("VoltarisRT");
    const std::string folder = DefaultLogFolder();
    EXPECT_EQ(folder.rfind(dataHome, 0), 0u) << folder;
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "first"), 0);
    EXPECT_EQ(LogFileLines(folder + "/voltaris.log").size(), 1u);
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
}

TEST_F(LoggerTest, MissingFolderOrModuleReturnsMinusOne) {
    enableLog({{"LogInfo", 1}, {"PathLog", QString::fromStdString(m_dir + "/missing")}});
    m_logger.init("VoltarisRT");
    EXPECT_EQ(m_logger.write("voltaris", LogInfo, "lost"), -1);
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/missing"));
    EXPECT_EQ(m_logger.write(nullptr, LogInfo, "no module"), -1);
}

// Lines of exactly 100 bytes: 47 of head, 51 of message, CR LF.
void WriteNumberedLines(Logger& logger, int first, int count) {
    for (int i = first; i < first + count; ++i) {
        ASSERT_EQ(
            logger.write("voltaris", LogInfo, "line %06d %s", i, std::string(39, '.').c_str()), 0);
    }
}

TEST_F(LoggerTest, SizeLimitCutsToTheNewestWholeLines) {
    enableLog({{"LogInfo", 1}, {"MaxSize", 10}, {"ResetSize", 5}});
    m_logger.init("VoltarisRT");
    // 109 lines make 10 900 bytes: still within the limit.
    WriteNumberedLines(m_logger, 0, 109);
    EXPECT_EQ(std::filesystem::file_size(logPath()), 10900u);
    // The 110th reaches 11 000 bytes and the file is cut to its last 5000 bytes: the cut falls
    // on the start of line 60, which is dropped as the partial line.
    WriteNumberedLines(m_logger, 109, 1);
    const auto lines = LogFileLines(logPath());
    EXPECT_EQ(std::filesystem::file_size(logPath()), 4900u);
    ASSERT_EQ(lines.size(), 49u);
    EXPECT_EQ(lines.front().substr(0, 22), "07/12/26 07:14:38,123 ");
    EXPECT_EQ(lines.front().substr(47, 11), "line 000061");
    EXPECT_EQ(lines.back().substr(47, 11), "line 000109");
}

TEST_F(LoggerTest, ZeroResetSizeLetsTheFileGrow) {
    enableLog({{"LogInfo", 1}, {"MaxSize", 1}, {"ResetSize", 0}});
    m_logger.init("VoltarisRT");
    WriteNumberedLines(m_logger, 0, 40);
    EXPECT_EQ(LogFileLines(logPath()).size(), 40u);
}

TEST_F(LoggerTest, ResetSizeBeyondTheFileKeepsItWhole) {
    enableLog({{"LogInfo", 1}, {"MaxSize", 1}, {"ResetSize", 5}});
    m_logger.init("VoltarisRT");
    WriteNumberedLines(m_logger, 0, 40);
    const auto lines = LogFileLines(logPath());
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines.front().substr(47, 11), "line 000000");
}

TEST_F(LoggerTest, ProcessWideEntryPointsFollowTheMasterSwitch) {
    enableLog({{"LogEvent", 1}});
    LogInit("VoltarisRT");
    EXPECT_EQ(LogMessage("voltaris", LogEvent, "port %s", "COM5"), 0);
    test::SetLogConfig({{"PathLog", QString::fromStdString(m_dir)}, {"LogEvent", 1}});
    LogInit("VoltarisRT");
    EXPECT_EQ(LogMessage("voltaris", LogEvent, "off"), 0);
    const auto lines = LogFileLines(logPath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(22), "VoltarisRT       EVENT   port COM5");
}

}  // namespace
}  // namespace voltaris
