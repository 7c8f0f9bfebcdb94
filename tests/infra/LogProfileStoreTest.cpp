// Reading the log's configuration: location, defaults, number parsing, fresh reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "infra/LogFixture.h"
#include "infra/LogProfileStore.h"

namespace voltaris {
namespace {

using test::SetLogConfig;

std::string ConfigFile() {
    return test::TestHome().string() + "/config/Korvex/Tracekit.conf";
}

void WriteConfigFile(const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(ConfigFile()).parent_path());
    std::ofstream(ConfigFile(), std::ios::trunc) << text;
}

TEST(LogProfileStore, BasePathIsNormalised) {
    EXPECT_EQ(LogProfileStore("Software\\Korvex").basePath(), "Software\\Korvex\\");
    EXPECT_EQ(LogProfileStore("\\Software\\Korvex\\").basePath(), "Software\\Korvex\\");
    EXPECT_EQ(LogProfileStore("Software\\Korvex").organisation(), "Korvex");
    EXPECT_EQ(LogProfileStore().organisation(), "Korvex");
}

TEST(LogProfileStore, ReadsTopLevelKeysOfTheSectionFile) {
    WriteConfigFile("[General]\nEnableLog=1\nPathLog=/var/tmp/logs\n[Nested]\nLogInfo=1\n");
    const LogProfileStore store;
    EXPECT_EQ(store.readNumber("Tracekit", "EnableLog", 0), 1);
    EXPECT_EQ(store.readString("Tracekit", "PathLog", "c:\\"), "/var/tmp/logs");
    EXPECT_EQ(store.readNumber("Tracekit", "LogInfo", 0), 0);  // not a top-level key
    // Another section is another file.
    EXPECT_EQ(store.readNumber("Other", "EnableLog", 0), 0);
}

TEST(LogProfileStore, MissingValuesGiveDefaults) {
    SetLogConfig({});
    const LogProfileStore store;
    EXPECT_EQ(store.readNumber("Tracekit", "MaxSize", 9999999), 9999999);
    EXPECT_EQ(store.readString("Tracekit", "FiltMsg", ""), "");
    EXPECT_EQ(store.readString("Tracekit", "PathLog", "c:\\"), "c:\\");
}

TEST(LogProfileStore, NumbersAreWhole32BitValues) {
    SetLogConfig({{"Small", 12},
                  {"Negative", -5},
                  {"AllOnes", "4294967295"},
                  {"TooLarge", "4294967296"},
                  {"Text", "abc"},
                  {"Fraction", "1.5"}});
    const LogProfileSection section = LogProfileStore().open("Tracekit");
    EXPECT_EQ(section.readNumber("Small", 7), 12);
    EXPECT_EQ(section.readNumber("Negative", 7), -5);
    EXPECT_EQ(section.readNumber("AllOnes", 7), -1);
    EXPECT_EQ(section.readNumber("TooLarge", 7), 7);
    EXPECT_EQ(section.readNumber("Text", 7), 7);
    EXPECT_EQ(section.readNumber("Fraction", 7), 7);
}

TEST(LogProfileStore, StringWithCommasIsReadWhole) {
    WriteConfigFile("[General]\nFiltMsg=open, COM\nQuoted=\"a,b\"\n");
    const LogProfileSection section = LogProfileStore().open("Tracekit");
    EXPECT_EQ(section.readString("FiltMsg", ""), "open, COM");
    EXPECT_EQ(section.readString("Quoted", ""), "a,b");
}

TEST(LogProfileStore, ChangeMadeByAnotherWriterIsSeenByTheNextOpen) {
    WriteConfigFile("[General]\nLogInfo=0\n");
    const LogProfileStore store;
    const LogProfileSection before = store.open("Tracekit");
    EXPECT_EQ(before.readNumber("LogInfo", 9), 0);
    // Written behind QSettings' back, as another process would.
    WriteConfigFile("[General]\nLogInfo=1\nLogDebug1=1\n");
    EXPECT_EQ(store.readNumber("Tracekit", "LogInfo", 9), 1);
    EXPECT_EQ(store.readNumber("Tracekit", "LogDebug1", 9), 1);
    EXPECT_EQ(before.readNumber("LogInfo", 9), 0);
}

}  // namespace
}  // namespace voltaris
