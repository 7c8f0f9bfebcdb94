// The meter's port lent by the worker to the SD-card file service: only while Idle, only between
// two iterations, untouched by the worker until it is handed back, and a Run pressed meanwhile
// taken up after the return.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WorkerRig.h"
#include "device/CardFiles.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::kWaitBound;
using test::SimulatedMeter;
using test::WorkerRig;

TEST(PortLoan, OnlyAskedWhileIdleAndEndedByExitOrReturn) {
    AcquisitionShared shared;  // RunRequested at first
    EXPECT_FALSE(shared.requestPortLoan());
    shared.setState(AcqStatus::Idle);
    ASSERT_TRUE(shared.requestPortLoan());
    EXPECT_FALSE(shared.requestPortLoan());  // one loan at a time
    EXPECT_EQ(shared.portLoan(), PortLoan::Requested);
    EXPECT_FALSE(shared.waitForPortLoan(20ms));  // no worker lent it
    shared.grantPortLoan();
    EXPECT_TRUE(shared.waitForPortLoan(0ms));
    EXPECT_EQ(shared.request().portLoan, PortLoan::Lent);
    shared.returnPort();
    EXPECT_EQ(shared.portLoan(), PortLoan::None);
    shared.grantPortLoan();  // nothing requested: nothing lent
    EXPECT_EQ(shared.portLoan(), PortLoan::None);

    ASSERT_TRUE(shared.requestPortLoan());
    shared.requestExit();
    EXPECT_FALSE(shared.waitForPortLoan(kWaitBound));  // returns at once on exit
}

TEST(PortLoan, WorkerTouchesNothingWhileLentAndRunWaitsForTheReturn) {
    SimulatedMeter meter(test::GenerationConfig(2));
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));

    ASSERT_TRUE(rig.shared->requestPortLoan());
    ASSERT_TRUE(rig.shared->waitForPortLoan(kWaitBound));
    rig.shared->setState(AcqStatus::RunRequested);  // Run pressed during the download
    const std::size_t lentAt = meter.sim.receivedFrames().size();
    // Each exchange spans many iterations of the worker: none of them sends anything.
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(SendListCommand(*meter.port(), kEmptyReadsListDialog).answered);
    }
    EXPECT_EQ(meter.framesFrom(lentAt), Strings(5, "<U>"));
    EXPECT_EQ(rig.shared->state(), AcqStatus::RunRequested);
    EXPECT_TRUE(rig.observer.captures().empty());

    rig.shared->returnPort();
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    const Strings after = meter.framesFrom(lentAt + 5);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), "<C>");
}

TEST(PortLoan, AskedDuringATransferIsLentOnceTheCaptureIsRead) {
    SimulatedMeter meter(test::GenerationConfig(2));
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    // Stop and "Download files" just as the transfer starts.
    bool asked = false;
    rig.observer.onPhase([&](int phase) {
        if (phase == WorkerPhaseTransferring && !asked) {
            rig.shared->setState(AcqStatus::Idle);
            asked = rig.shared->requestPortLoan();
        }
    });
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    ASSERT_TRUE(rig.shared->waitForPortLoan(kWaitBound));
    EXPECT_TRUE(asked);

    const std::size_t lentAt = meter.sim.receivedFrames().size();
    EXPECT_TRUE(SendListCommand(*meter.port(), kEmptyReadsListDialog).answered);
    const Strings frames = meter.sim.receivedFrames();
    ASSERT_GE(lentAt, 2u);
    // The capture under way was read whole before the port changed hands; nothing came after.
    EXPECT_EQ(frames[lentAt - 2], "<B>");
    EXPECT_EQ(frames[lentAt - 1], "<F>");
    EXPECT_EQ(meter.framesFrom(lentAt), Strings{"<U>"});
    rig.shared->returnPort();
}

}  // namespace
}  // namespace voltaris
