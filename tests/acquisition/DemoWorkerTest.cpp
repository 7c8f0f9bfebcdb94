// The acquisition worker in demonstration mode: synthetic captures, calibration stores without
// meter traffic, and stopping while a message is shown or a capture is being simulated.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "WorkerRig.h"
#include "acquisition/DemoCaptureSource.h"
#include "acquisition/DemoSignalGenerator.h"
#include "acquisition/WorkerMessages.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::ObservedMessage;
using test::WorkerRig;

// Runs single captures of the given period counts one after the other and returns copies.
std::vector<std::unique_ptr<CaptureBuffer>> singleCaptures(WorkerRig& rig,
                                                           const std::vector<int>& periods) {
    std::vector<std::unique_ptr<CaptureBuffer>> captures;
    for (std::size_t k = 0; k < periods.size(); ++k) {
        EXPECT_TRUE(rig.shared->setPeriodCount(periods[k]));
        rig.shared->setState(AcqStatus::SingleRequested);
        if (!rig.observer.waitForCaptures(static_cast<int>(k) + 1)) {
            ADD_FAILURE() << "capture " << k << " missing";
            break;
        }
        captures.push_back(std::make_unique<CaptureBuffer>());
        rig.shared->copyCapture(*captures.back());
    }
    return captures;
}

TEST(DemoWorker, CapturesHoldPeriodsPlusTwoGeneratedBlocks) {
    WorkerRig rig;
    rig.source = std::make_unique<DemoCaptureSource>();
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());
    const auto captures = singleCaptures(rig, {10, 1});
    ASSERT_EQ(captures.size(), 2u);

    DemoSignalGenerator reference;
    auto expected = std::make_unique<CaptureBuffer>();
    ASSERT_EQ(reference.generate(10, expected->voltage, expected->current), 12);
    EXPECT_EQ(captures[0]->blockCount, 12);
    EXPECT_EQ(captures[0]->mainsPeriodTicks, 20000);
    EXPECT_EQ(captures[0]->voltage, expected->voltage);
    EXPECT_EQ(captures[0]->current, expected->current);
    EXPECT_EQ(captures[0]->voltage[0], 5951);

    // The second, shorter capture overwrites only its own 3 blocks.
    ASSERT_EQ(reference.generate(1, expected->voltage, expected->current), 3);
    EXPECT_EQ(captures[1]->blockCount, 3);
    EXPECT_EQ(captures[1]->voltage, expected->voltage);
    EXPECT_EQ(captures[1]->current, expected->current);
    EXPECT_EQ(captures[1]->hardwareVersion, 0);
    EXPECT_EQ(rig.observer.captures(), (std::vector<bool>{true, true}));
}

TEST(DemoWorker, TwoWorkersProduceIdenticalCaptures) {
    std::vector<std::unique_ptr<CaptureBuffer>> runs[2];
    for (auto& run : runs) {
        WorkerRig rig;
        rig.source = std::make_unique<DemoCaptureSource>();
        rig.shared->setState(AcqStatus::Idle);
        ASSERT_TRUE(rig.start());
        run = singleCaptures(rig, {2, 3, 2});
        ASSERT_EQ(run.size(), 3u);
    }
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(runs[0][k]->voltage, runs[1][k]->voltage) << "capture " << k;
        EXPECT_EQ(runs[0][k]->current, runs[1][k]->current) << "capture " << k;
    }
    EXPECT_NE(runs[0][0]->voltage, runs[0][2]->voltage);  // the sequence goes on
}

TEST(DemoWorker, ContinuousCapturesKeepComing) {
    WorkerRig rig;
    rig.source = std::make_unique<DemoCaptureSource>();
    ASSERT_TRUE(rig.shared->setPeriodCount(1));
    ASSERT_TRUE(rig.start());  // RunRequested from the start
    ASSERT_TRUE(rig.observer.waitForCaptures(3));
    const AcqStatus state = rig.shared->state();
    EXPECT_TRUE(state == AcqStatus::RunRequested || state == AcqStatus::Running);
}

TEST(DemoWorker, StoresShowSuccessWithoutTrafficThenCaptureOnce) {
    test::SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    for (const AcqStatus store :
         {AcqStatus::StoreCalibration, AcqStatus::StoreFactoryCalibration}) {
        WorkerRig rig;
        rig.source = std::make_unique<DemoCaptureSource>();
        rig.shared->setPort(meter.port());  // never used in demonstration mode
        rig.shared->setState(store);
        ASSERT_TRUE(rig.start());
        ASSERT_TRUE(rig.observer.waitForCaptures(1));
        ASSERT_TRUE(rig.waitForIdlePhase());
        const char* text = store == AcqStatus::StoreCalibration ? kCalibrationUpdatedText
                                                                : kFactoryCalibrationUpdatedText;
        EXPECT_EQ(rig.observer.messages(), (std::vector<ObservedMessage>{{text, ""}}));
        EXPECT_EQ(rig.observer.events(), (Strings{"M", "P1", "P2", "P3", "R1", "P0"}));
    }
    EXPECT_TRUE(meter.sim.receivedFrames().empty());
}

TEST(DemoWorker, StopReleasesAWorkerWaitingOnAMessage) {
    WorkerRig rig;
    rig.observer.holdMessages(true);  // nobody dismisses it
    rig.source = std::make_unique<DemoCaptureSource>();
    rig.shared->setState(AcqStatus::StoreCalibration);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForMessages(1));
    EXPECT_TRUE(rig.worker->stop());
    EXPECT_TRUE(rig.observer.stoppingCalled());
    EXPECT_FALSE(rig.worker->running());
}

TEST(DemoWorker, StopEndsASimulatedCaptureEarly) {
    WorkerRig rig;
    rig.source = std::make_unique<DemoCaptureSource>();
    ASSERT_TRUE(rig.shared->setPeriodCount(85));  // 1.7 s of simulated capture
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseWaiting));
    EXPECT_TRUE(rig.worker->stop(800ms));
    EXPECT_TRUE(rig.observer.captures().empty());
}

}  // namespace
}  // namespace voltaris
