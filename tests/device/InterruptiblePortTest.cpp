// The port the worker talks through: once interrupted it lets a flowing reply finish, then
// stops waiting on the quiet line; writes always reach the meter.
#include <gtest/gtest.h>

#include "device/InterruptiblePort.h"
#include "device/SendCommand.h"
#include "support/PortDoubles.h"

namespace voltaris {
namespace {

using test::ScriptedPort;

TEST(InterruptiblePort, FinishesAFlowingReplyThenStopsWaitingOnTheQuietLine) {
    ScriptedPort inner;
    inner.readResults = {{"ab"}, {""}, {"cd"}};
    bool interrupted = false;
    InterruptiblePort port(inner, [&interrupted] { return interrupted; });
    char buffer[8] = {};

    EXPECT_EQ(port.read(buffer, 1).bytes, 1u);  // not interrupted: read through
    interrupted = true;
    const PortIo flowing = port.read(buffer, 1);  // bytes still coming: read through
    EXPECT_TRUE(flowing.ok);
    EXPECT_EQ(flowing.bytes, 1u);
    EXPECT_EQ(buffer[0], 'b');
    EXPECT_EQ(port.read(buffer, 4).bytes, 0u);  // the line went quiet
    EXPECT_EQ(inner.readSizes.size(), 3u);

    // From now on nothing waits on the meter, even with bytes queued.
    const PortIo later = port.read(buffer, 4);
    EXPECT_TRUE(later.ok);
    EXPECT_EQ(later.bytes, 0u);
    EXPECT_EQ(inner.readSizes.size(), 3u);

    // Writes go through: the reset sent while closing still reaches the meter.
    EXPECT_TRUE(WritePort(port, "<R>", 3));
    EXPECT_EQ(inner.written, std::vector<std::string>{"<R>"});
    EXPECT_EQ(port.name(), "scripted");
}

TEST(InterruptiblePort, ExchangeOnAQuietLineFailsWithoutSpendingItsBudgetOnTheMeter) {
    ScriptedPort inner;  // answers nothing
    InterruptiblePort port(inner, [] { return true; });
    char reply[64];
    std::size_t length = 0;
    EXPECT_FALSE(SendCommand(port, "<B>", reply, sizeof reply, 32, length, kEmptyReadsBulk));
    EXPECT_EQ(length, 0u);
    // One real read found the line quiet; the budget, the retries and the drain ran dry.
    EXPECT_EQ(inner.readSizes.size(), 1u);
    EXPECT_EQ(inner.written, (std::vector<std::string>{"<B>", "<B>", "<B>"}));
}

}  // namespace
}  // namespace voltaris
