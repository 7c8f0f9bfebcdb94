// Line head layout, level names, message truncation and local-time conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "infra/Log.h"
#include "infra/LogFixture.h"
#include "infra/LogFormat.h"

namespace voltaris {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The buffer sits before a guard area that must stay untouched.
struct GuardedBuffer {
    char text[kLogMessageSize];
    char guard[32];
};

std::string Format(const char* format, ...) {
    GuardedBuffer buffer{};
    std::memset(buffer.guard, 'G', sizeof buffer.guard);
    std::va_list args;
    va_start(args, format);
    FormatLogMessage(buffer.text, format, args);
    va_end(args);
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard),
              std::string(sizeof buffer.guard, 'G'));
    return buffer.text;
}

TEST(LogFormat, HeadHasDateTimeNameColumnAndTag) {
    const LogTime time{7, 12, 2026, 7, 14, 38, 123};
    EXPECT_EQ(FormatLogHead(time, "VoltarisRT", LogDebug1),
              "07/12/26 07:14:38,123 VoltarisRT       DEBUG1  ");
}

TEST(LogFormat, DateFieldsAreZeroPadded) {
    const LogTime time{3, 1, 2026, 0, 5, 9, 7};
    EXPECT_EQ(FormatLogHead(time, "p", LogInfo).substr(0, 22), "03/01/26 00:05:09,007 ");
    const LogTime y2000{31, 10, 2000, 23, 59, 59, 999};
    EXPECT_EQ(FormatLogHead(y2000, "p", LogInfo).substr(0, 22), "31/10/00 23:59:59,999 ");
}

TEST(LogFormat, ProcessNameIsCutOrPaddedToSixteenColumns) {
    const LogTime time{};
    const std::string longName = FormatLogHead(time, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", LogError);
    EXPECT_EQ(longName.substr(22), "ABCDEFGHIJKLMNOP ERROR   ");
    const std::string empty = FormatLogHead(time, "", LogError);
    EXPECT_EQ(empty.substr(22), std::string(16, ' ') + " ERROR   ");
}

TEST(LogFormat, EachLevelHasItsTagAndSwitch) {
    const char* tags[] = {"CRITIC  ", "ERROR   ", "WARNING ", "STATE   ",
                          "EVENT   ", "INFO    ", "DEBUG1  ", "DEBUG2  "};
    const char* switches[] = {"LogCritic", "LogError", "LogWarn",   "LogState",
                              "LogEvent",  "LogInfo",  "LogDebug1", "LogDebug2"};
    for (int level = LogCritic; level <= LogDebug2; ++level) {
        EXPECT_STREQ(LogLevelTag(level), tags[level]);
        EXPECT_EQ(std::strlen(LogLevelTag(level)), 8u);
        EXPECT_STREQ(LogLevelSwitch(level), switches[level]);
    }
    for (int level : {-1, 8, 100}) {
        EXPECT_EQ(LogLevelTag(level), nullptr);
        EXPECT_EQ(LogLevelSwitch(level), nullptr);
        EXPECT_TRUE(FormatLogHead(LogTime{}, "p", level).empty());
    }
}

TEST(LogFormat, LongMessageIsCutAt255Characters) {
    const std::string longText(1000, 'x');
    const std::string text = Format("%s", longText.c_str());
    EXPECT_EQ(text, std::string(255, 'x'));
    EXPECT_EQ(Format("%s", std::string(255, 'y').c_str()), std::string(255, 'y'));
}

TEST(LogFormat, LocalTimeKeepsMilliseconds) {
    // The test program runs with TZ=UTC.
    const LogTime time = ToLocalLogTime(test::FixedLogTime() - std::chrono::milliseconds(116));
    EXPECT_EQ(time.day, 7);
    EXPECT_EQ(time.month, 12);
    EXPECT_EQ(time.year, 2026);
    EXPECT_EQ(time.hour, 7);
    EXPECT_EQ(time.minute, 14);
    EXPECT_EQ(time.second, 38);
    EXPECT_EQ(time.millisecond, 7);
}

}  // namespace
}  // namespace voltaris
