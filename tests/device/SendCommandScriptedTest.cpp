// Faults of the port itself that a pseudo-terminal cannot produce on demand: short writes,
// failing reads, and exact reply bytes for the trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/SendCommand.h"
#include "support/LogCapture.h"
#include "support/PortDoubles.h"

namespace voltaris {
namespace {

using test::ScriptedPort;
using Strings = std::vector<std::string>;

TEST(SendCommandPortFaults, ShortWriteFailsTheAttemptAndTheRetryCanSucceed) {
    ScriptedPort port;
    port.writeResults = {{true, 1, 0}};  // one byte of three went out
    port.readResults = {{"<K>"}};
    test::LogCapture log;
    char reply[16];
    std::size_t length = 0;
    EXPECT_TRUE(SendCommand(port, "<C>", reply, sizeof reply, 0, length, 20));
    EXPECT_STREQ(reply, "<K>");
    EXPECT_EQ(port.written, (Strings{"<C>", "<C>"}));
    // No read after the short write; three for the reply; one drain.
    EXPECT_EQ(port.readSizes, (std::vector<std::size_t>{1, 1, 1, kDrainReadSize}));
    EXPECT_EQ(log.messages("ERROR"),
              (Strings{"Error writing to target (0)", "Error Serial command <C>, retry 1"}));
    EXPECT_EQ(log.messages("INFO"),
              (Strings{"write <C>, retour 0", "read 0 octets (), retour 0", "write <C>, retour 1",
                       "read 3 octets (<K>), retour 1", "Cleaning queue, 0 bytes received"}));
}

TEST(SendCommandPortFaults, ReadFailureWithBytesFailsTheAttempt) {
    ScriptedPort port;
    port.readResults = {{"<"}, {"K", false, 5}, {"<K>"}};
    test::LogCapture log;
    char reply[16];
    std::size_t length = 0;
    EXPECT_TRUE(SendCommand(port, "<C>", reply, sizeof reply, 0, length, 20));
    EXPECT_STREQ(reply, "<K>");
    EXPECT_EQ(port.written.size(), 2u);
    EXPECT_EQ(log.messages("INFO", "read"),
              (Strings{"read 2 octets (<K), retour 0", "read 3 octets (<K>), retour 1"}));
    EXPECT_EQ(log.messages("ERROR"),
              (Strings{"Error reading from target (5)", "Error Serial command <C>, retry 1"}));
}

TEST(SendCommandPortFaults, ReadFailureWithoutBytesCountsAsAnEmptyRead) {
    ScriptedPort port;
    port.readResults = {{"", false, 5}, {"<K>"}};
    char reply[16];
    std::size_t length = 0;
    // Budget 1: the failed read is the one tolerated empty read, the attempt goes on.
    EXPECT_TRUE(SendCommand(port, "<C>", reply, sizeof reply, 3, length, 1));
    EXPECT_STREQ(reply, "<K>");
    EXPECT_EQ(port.written.size(), 1u);
}

TEST(SendCommandPortFaults, FixedLengthTraceShowsTheFirstBytesAsSignedValues) {
    ScriptedPort port;
    port.readResults = {{"\x80\xFF\x01\x7F"}};
    test::LogCapture log;
    char reply[8];
    std::size_t length = 0;
    EXPECT_TRUE(SendCommand(port, "<B>", reply, sizeof reply, 4, length, 20));
    EXPECT_EQ(log.messages("INFO", "read"),
              Strings{"read 4 octets (FFFFFF80 FFFFFFFF 01...), retour 1"});
}

TEST(SendCommandPortFaults, FixedLengthTraceShowsZeroPastTheBytesReceived) {
    ScriptedPort port;
    port.readResults = {{"\x7F"}};
    test::LogCapture log;
    char reply[8] = "ABCDEFG";
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(port, "", reply, sizeof reply, 4, length, 0));
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(log.messages("INFO", "read"), Strings{"read 1 octets (7F 00 00...), retour 0"});
}

}  // namespace
}  // namespace voltaris
