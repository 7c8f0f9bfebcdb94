// Frames built for the meter and decoding of its replies.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "device/MeterProtocol.h"

namespace voltaris {
namespace {

constexpr float kDefaultGainV = 0.0222550128f;
constexpr float kDefaultGainI = 9.5138399e-05f;

TEST(MeterProtocol, FieldsAreFixedWidthUpperCaseHexEvenWhenOutOfRange) {
    EXPECT_EQ(BuildLCommand(12), "<L0C>");  // 10 periods + 2
    EXPECT_EQ(BuildVCommand(27), "<V1B>");
    EXPECT_EQ(BuildWCommand(25, 0xAB), "<W19AB>");
    EXPECT_EQ(BuildMCommand(300), "<M012C>");
    EXPECT_EQ(BuildXCommand("LOG001", 42), "<XLOG001 002A>");
    EXPECT_EQ(BuildLCommand(300), "<LFF>");
    EXPECT_EQ(BuildLCommand(-1), "<L00>");
    EXPECT_EQ(BuildMCommand(70000), "<MFFFF>");
}

TEST(MeterProtocol, ClockFrameFromLocalTime) {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;  // March
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    EXPECT_EQ(BuildECommand(t), "<E1803050E0709>");
}

TEST(MeterProtocol, ThresholdsAreTruncatedAndSaturatedNotWrapped) {
    EXPECT_EQ(RawThreshold16(230.0, kDefaultGainV), 10334);   // 10334.75
    EXPECT_EQ(RawThreshold16(999.9, kDefaultGainV), 0xAF81);  // 44929.2
    // 9.999 A is 105099.5 raw units: wrapped it would be 0x9A8B, a low threshold.
    EXPECT_EQ(RawThreshold16(9.999, kDefaultGainI), 0xFFFF);
    EXPECT_EQ(RawThreshold16(65535.9, 1.0), 0xFFFF);
    EXPECT_EQ(RawThreshold16(65534.9, 1.0), 0xFFFE);
    EXPECT_EQ(RawThreshold32(5e9, 1.0), 0xFFFFFFFFu);
    EXPECT_EQ(RawThreshold16(-5.0, kDefaultGainV), 0);
    EXPECT_EQ(RawThreshold32(-1e12, 1.0), 0u);
    EXPECT_EQ(RawThreshold16(0.0, 0.0), 0);       // 0 / 0
    EXPECT_EQ(RawThreshold16(1.0, 0.0), 0xFFFF);  // infinite
}

TEST(MeterProtocol, TriggerFrameWithDefaultGains) {
    TriggerSetup t;
    t.preTrigger = 2;
    t.irmsLow = 1.5;     // 15766.5 -> 3D96
    t.prmsLow = 100;     // 47229822.5 -> 02D0AB7E
    t.urmsHigh = 999.9;  // AF81
    t.irmsHigh = 9.999;  // saturated
    t.prmsHigh = 999.9;  // 472250995.0 -> 1C25FA73
    t.upeakMax = 230;    // 285E
    t.ipeakMax = 6.0;    // 63066.02 -> F65A
    EXPECT_EQ(BuildTCommand(t, kDefaultGainV, kDefaultGainI),
              "<T0200003D9602D0AB7EAF81FFFF1C25FA73285EF65A>");

    TriggerSetup negative;
    negative.preTrigger = 400;
    negative.urmsLow = -1;
    negative.prmsHigh = -1000;
    EXPECT_EQ(BuildTCommand(negative, kDefaultGainV, kDefaultGainI),
              "<TFF" + std::string(40, '0') + ">");
}

TEST(MeterProtocol, AcknowledgementAndHexPairs) {
    EXPECT_TRUE(IsAcknowledge("<K>", 3));
    EXPECT_TRUE(IsAcknowledge("xKy", 3));  // only length and second byte count
    EXPECT_FALSE(IsAcknowledge("<N>", 3));
    EXPECT_FALSE(IsAcknowledge("<K>>", 4));
    EXPECT_EQ(ParseHexPair("ff"), 0xFF);
    EXPECT_EQ(ParseHexPair("1234"), 0x12);
    EXPECT_EQ(ParseHexPair("3G"), 0x3);
    EXPECT_EQ(ParseHexPair("ZZ"), 0);
    EXPECT_EQ(ParseHexPair(""), 0);
}

TEST(MeterProtocol, StatusReplyOfExactly23Characters) {
    std::string reply = "<00000000C000000020000>";
    auto status = ParseStatusReply(reply.c_str(), reply.size());
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->state, 'C');
    EXPECT_EQ(status->hardwareVersion, 0x02);
    EXPECT_EQ(status->generation, 1);
    reply[16] = '1';
    EXPECT_EQ(ParseStatusReply(reply.c_str(), reply.size())->generation, 2);
    reply[16] = '2';
    EXPECT_EQ(ParseStatusReply(reply.c_str(), reply.size())->generation, 0);

    // 22 or 24 characters are never a status, whatever the letter at 9.
    EXPECT_FALSE(ParseStatusReply(reply.c_str(), 22).has_value());
    const std::string longer = "<" + reply;
    EXPECT_FALSE(ParseStatusReply(longer.c_str(), longer.size()).has_value());
}

TEST(MeterProtocol, MainsPeriodAndEepromReplies) {
    EXPECT_EQ(ParseMainsPeriod("<F4E20>", 7), 20000);
    EXPECT_EQ(ParseMainsPeriod("<F6c00>", 7), 27648);
    EXPECT_EQ(ParseMainsPeriod("<F4E2>", 6), 0);
    EXPECT_EQ(ParseMainsPeriod("<F4E200>", 8), 0);
    EXPECT_EQ(ParseMainsPeriod("<XZZZZ>", 7), 0);
    EXPECT_EQ(ParseMainsPeriod("<F0012>34", 7), 0x12);  // only the 7 reply characters count
    EXPECT_EQ(ParseEepromReply("x3Fy", 4), 0x3F);
    EXPECT_FALSE(ParseEepromReply("<3F", 3).has_value());
}

TEST(MeterProtocol, EachReplyShapeFitsOnlyItsOwnCommand) {
    struct Row {
        std::string reply;
        bool status, eeprom, period, acknowledge;
    };
    const Row rows[] = {
        {"<00000000C000000020000>", true, false, false, false},
        {"<00000000C00000002000>", false, false, false, false},    // 22 characters
        {"<00000000C0000000200000>", false, false, false, false},  // 24 characters
        {"000000000C000000020000>", false, false, false, false},   // no opening '<'
        {"<3F>", false, true, false, false},
        {"<a5>", false, true, false, false},
        {"<3G>", false, false, false, false},
        {"0000>", false, false, false, false},  // the tail of a status reply
        {"<F4E20>", false, false, true, false},
        {"<F6c00>", false, false, true, false},
        {"<FZZZZ>", false, false, false, false},
        {"<X4E20>", false, false, false, false},
        {"<F4E2>", false, false, false, false},
        {"<K>", false, false, false, true},
        {"<N>", false, false, false, true},
        {"<Z>", false, false, false, false},
        {"xKy", false, false, false, false},
        {"<K>>", false, false, false, false},
        {"", false, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply);
        EXPECT_EQ(IsStatusReply(row.reply), row.status);
        EXPECT_EQ(IsEepromReply(row.reply), row.eeprom);
        EXPECT_EQ(IsMainsPeriodReply(row.reply), row.period);
        EXPECT_EQ(IsAcknowledgeReply(row.reply), row.acknowledge);
    }
}

TEST(MeterProtocol, UnpackSamplesIsBigEndianTwosComplementVoltageFirst) {
    const std::array<std::uint8_t, 14> raw = {0x7F, 0xFF, 0x80, 0x00,  // 32767, -32768
                                              0xFF, 0xFF, 0x00, 0x01,  // -1, 1
                                              0x12, 0x34, 0xED, 0xCC,  // 4660, -4660
                                              0x7F, 0x7F};             // partial pair
    std::array<std::int16_t, 4> v{};
    std::array<std::int16_t, 4> c{};
    ASSERT_EQ(UnpackSamples(raw, v, c), 3u);
    EXPECT_EQ(v, (std::array<std::int16_t, 4>{32767, -1, 4660, 0}));
    EXPECT_EQ(c, (std::array<std::int16_t, 4>{-32768, 1, -4660, 0}));
    // The smaller output bounds the count.
    EXPECT_EQ(UnpackSamples(raw, v, std::span<std::int16_t>(c.data(), 1)), 1u);
}

}  // namespace
}  // namespace voltaris
