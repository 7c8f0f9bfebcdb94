// The window against a meter whose link drops and comes back at the same path, and against one
// that stops in the middle of a transfer: the run goes on by itself once the meter answers again,
// said in the status line rather than in a box; Stop ends a stalled transfer without an error.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "acquisition/WorkerMessages.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"
#include "support/WindowHarness.h"

namespace voltaris::test {

namespace {

using namespace std::chrono_literals;

class LinkRecovery : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid() && m_meter.ready()); }

    static sim::Config linkedConfig(const TempDir& dir) {
        sim::Config c;
        c.linkPath = dir.file("rfcomm0");
        c.paced = true;  // a transfer lasts long enough to be stopped half-way
        return c;
    }

    TempDir m_dir;
    SimulatedMeter m_meter{linkedConfig(m_dir), MeterPort::Free};
    AutoAnswerMessageService m_messages{false};
};

TEST_F(LinkRecovery, ARunResumesByItselfOnceTheDroppedLinkIsBack) {
    WindowUnderTest w(m_messages, TestOptions({m_dir.file("rfcomm0")}));
    ASSERT_TRUE(w.initialised);
    QLabel& status = *w->controls().linkStatus;
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    EXPECT_FALSE(status.isVisible());

    for (int round = 0; round < 2; ++round) {
        m_meter.sim.dropLink();
        ASSERT_TRUE(WaitForEvents("the window says the link is lost", [&] {
            return status.isVisible() && status.text() == kLinkLostText;
        }));
        ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
        // Several reconnection attempts go by without a box or a capture.
        const int drawn = w->capturesDrawn();
        EXPECT_FALSE(WaitForCaptures(*w, 1, 4500ms));
        EXPECT_EQ(w->capturesDrawn(), drawn);
        EXPECT_EQ(status.text(), kLinkLostText);

        ASSERT_TRUE(m_meter.sim.restoreLink());
        ASSERT_TRUE(WaitForCaptures(*w, 2, 15s));
        EXPECT_EQ(status.text(), kLinkRestoredText);
    }
    EXPECT_TRUE(m_messages.shown().empty());
    EXPECT_TRUE(w->shared().state() == AcqStatus::RunRequested ||
                w->shared().state() == AcqStatus::Running);
}

TEST_F(LinkRecovery, StopEndsAStalledTransferAtOnceWithoutAnError) {
    sim::Faults faults;
    faults.cutBulkAt = 2000;  // the first transfer stops after two blocks
    m_meter.sim.setFaults(faults);
    WindowUnderTest w(m_messages, TestOptions({m_dir.file("rfcomm0")}));
    ASSERT_TRUE(w.initialised);
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseTransferring));
    QTest::qWait(1000);  // the cut is reached and the transfer stalls

    const auto pressed = std::chrono::steady_clock::now();
    QTest::mouseClick(w->controls().stop, Qt::LeftButton);
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
    // Well before the 5 s stall limit would have ended it.
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 3s);
    QTest::qWait(500);
    EXPECT_TRUE(m_messages.shown().empty());
    EXPECT_EQ(w->shared().state(), AcqStatus::Idle);
}

}  // namespace
}  // namespace voltaris::test
