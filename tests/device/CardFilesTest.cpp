// The SD-card file service: the U listing, names, block plan, and the Y, M and X exchanges
// against the meter simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/CardFiles.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using Strings = std::vector<std::string>;

TEST(CardFiles, ListingEntriesAreSixteenBytesBetweenTheFrames) {
    struct Case {
        std::string reply;
        std::vector<CardFile> files;
    };
    const Case cases[] = {
        {"<>", {}},
        {"<Z>", {}},
        {"<LOG001 0000010E>", {}},  // 17 bytes: shorter than one entry and its frames
        {"<LOG001 0000010E >", {{"LOG001", 270}}},
        {"<LOG001 0000010E A00002 00069780 >", {{"LOG001", 270}, {"A00002", 432000}}},
        // A trailing part shorter than an entry is not one; byte 6 and 15 are not looked at.
        {"<LOG001x0000010Ey12345>", {{"LOG001", 270}}},
        {"<BAD001 00Z1010E >", {{"BAD001", 0}}},  // the size stops at its first non-digit
        {"<BIG001 FFFFFFFF >", {{"BIG001", 0xFFFFFFFFu}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFileList(c.reply), c.files) << c.reply;
    }
    EXPECT_TRUE(IsNoCardReply("<Z>"));
    EXPECT_FALSE(IsNoCardReply("<LOG001 0000010E >"));
    EXPECT_FALSE(IsNoCardReply(""));
}

TEST(CardFiles, OnlyPlainNamesAreJoinedToTheFolder) {
    const std::pair<std::string, bool> cases[] = {
        {"LOG001", true},
        {"A-1_b.", true},
        {"../abc", false},
        {"a/b123", false},
        {"a\\b123", false},
        {"..AB12", false},
        {"AB\x01"
         "CDE",
         false},
        {"ABCDE\x7F", false},
        {std::string("AB\0CDE", 6), false},
        {"", false},
        {".", false},
    };
    for (const auto& [name, plain] : cases) {
        EXPECT_EQ(IsPlainCardFileName(name), plain) << PrintableCardFileName(name);
    }
    EXPECT_EQ(PrintableCardFileName(std::string("A/\0\x1F\xE9Z", 6)), "A/\\x00\\x1F\\xE9Z");
}

TEST(CardFiles, BlocksAre27000BytesWithTheRemainderLast) {
    const std::pair<std::uint32_t, std::vector<std::size_t>> cases[] = {
        {0, {}},
        {1, {1}},
        {27000, {27000}},
        {27001, {27000, 1}},
        {54000, {27000, 27000}},
        {270000, std::vector<std::size_t>(10, 27000)},
    };
    for (const auto& [size, lengths] : cases) {
        EXPECT_EQ(LogBlockLengths(size), lengths) << size;
    }
}

TEST(CardFilesExchange, LogPeriodDeleteAndBlocksAgainstTheMeter) {
    test::SimulatedMeter meter(test::GenerationConfig(2));
    ASSERT_TRUE(meter.ready());
    SerialPort& port = meter.link();

    EXPECT_TRUE(SendLogPeriod(port, 50));
    EXPECT_EQ(meter.sim.lastLogPeriod(), 50);

    EXPECT_TRUE(DeleteCardFile(port, "LOG001"));
    EXPECT_FALSE(DeleteCardFile(port, "LOG001"));  // gone: the meter refuses
    EXPECT_EQ(meter.sim.receivedFrames(), (Strings{"<M0032>", "<YLOG001>", "<YLOG001>"}));

    // LOG002 holds 1500 records: block 1 has the last 13500 bytes.
    std::vector<char> buffer;
    const BlockRead whole = ReadLogBlock(port, "LOG002", 1, 13500, buffer);
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.received, 13502u);
    const std::vector<std::uint8_t> content = meter.sim.logFiles().front().content;
    EXPECT_EQ(std::vector<std::uint8_t>(whole.data.begin(), whole.data.end()),
              std::vector<std::uint8_t>(content.begin() + 27000, content.end()));

    sim::Faults faults;
    faults.cutLogBlock = 0;
    faults.cutLogBlockAt = 101;  // the opening byte and 100 data bytes
    meter.sim.setFaults(faults);
    const BlockRead cut = ReadLogBlock(port, "LOG002", 0, 27000, buffer);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.received, 101u);
    EXPECT_EQ(std::vector<std::uint8_t>(cut.data.begin(), cut.data.end()),
              std::vector<std::uint8_t>(content.begin(), content.begin() + 100));

    meter.sim.setFaults(sim::Faults{.noSdCard = true});
    EXPECT_FALSE(DeleteCardFile(port, "LOG002"));
    EXPECT_TRUE(IsNoCardReply(SendListCommand(port, kEmptyReadsListDialog).reply));
}

}  // namespace
}  // namespace voltaris
