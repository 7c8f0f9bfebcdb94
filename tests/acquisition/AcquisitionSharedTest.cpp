// The shared request and capture blocks: initial values, compare-then-set transitions, setters
// that refuse bad values, and the exit signal that ends the worker's sleeps.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "acquisition/AcquisitionShared.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

TEST(AcquisitionShared, StartsWithTheInitialRequestAndAClearedCapture) {
    AcquisitionShared shared;
    const AcqRequest r = shared.request();
    EXPECT_FALSE(r.exitRequested);
    EXPECT_EQ(r.state, AcqStatus::RunRequested);
    EXPECT_EQ(r.portHandle, nullptr);
    EXPECT_EQ(r.periodCount, 10);
    EXPECT_EQ(r.preTrigger, 0);
    EXPECT_EQ(r.trigger.urmsHigh, 0.0f);
    EXPECT_EQ(r.trigger.ipeakMax, 0.0f);
    EXPECT_EQ(r.calibration.gainV, kDefaultGainV);
    EXPECT_EQ(r.calibration.factoryCalibrationDate, 0u);
    EXPECT_EQ(r.calibration.logPeriod, 0);
    EXPECT_EQ(shared.workerPhase(), WorkerPhaseStopped);
    CaptureBuffer capture;
    capture.blockCount = 5;
    capture.voltage[100] = 9;
    shared.copyCapture(capture);
    EXPECT_EQ(capture.blockCount, 0);
    EXPECT_EQ(capture.voltage[100], 0);
    EXPECT_EQ(capture.mainsPeriodTicks, 0);
}

TEST(AcquisitionShared, RearmTurnsOnlyArmedStatesBack) {
    AcquisitionShared shared;
    const struct {
        AcqStatus from;
        AcqStatus to;
        bool changed;
    } cases[] = {
        {AcqStatus::Running, AcqStatus::RunRequested, true},
        {AcqStatus::SingleRunning, AcqStatus::SingleRequested, true},
        {AcqStatus::Idle, AcqStatus::Idle, false},
        {AcqStatus::RunRequested, AcqStatus::RunRequested, false},
        {AcqStatus::SingleRequested, AcqStatus::SingleRequested, false},
        {AcqStatus::StoreCalibration, AcqStatus::StoreCalibration, false},
    };
    for (const auto& c : cases) {
        shared.setState(c.from);
        EXPECT_EQ(shared.rearm(), c.changed) << static_cast<int>(c.from);
        EXPECT_EQ(shared.state(), c.to) << static_cast<int>(c.from);
    }
}

TEST(AcquisitionShared, CompareAndSetLeavesAChangedStateAlone) {
    AcquisitionShared shared;
    shared.setState(AcqStatus::Idle);  // the user pressed Stop meanwhile
    EXPECT_FALSE(shared.compareAndSetState(AcqStatus::RunRequested, AcqStatus::Running));
    EXPECT_EQ(shared.state(), AcqStatus::Idle);
    shared.setState(AcqStatus::SingleRunning);
    EXPECT_TRUE(shared.compareAndSetState(AcqStatus::SingleRunning, AcqStatus::Idle));
    EXPECT_EQ(shared.state(), AcqStatus::Idle);
}

TEST(AcquisitionShared, SettersRefuseValuesOutsideTheirRange) {
    AcquisitionShared shared;
    EXPECT_FALSE(shared.setPeriodCount(0));
    EXPECT_FALSE(shared.setPeriodCount(86));
    EXPECT_EQ(shared.request().periodCount, 10);
    EXPECT_TRUE(shared.setPeriodCount(85));
    EXPECT_TRUE(shared.setPeriodCount(1));
    EXPECT_EQ(shared.request().periodCount, 1);

    TriggerThresholds t;
    t.urmsLow = 100;
    t.ipeakMax = 9.999f;
    EXPECT_FALSE(shared.setTrigger(-1, t));
    EXPECT_FALSE(shared.setTrigger(85, t));
    EXPECT_EQ(shared.request().trigger.urmsLow, 0.0f);
    EXPECT_TRUE(shared.setTrigger(84, t));
    const AcqRequest r = shared.request();
    EXPECT_EQ(r.preTrigger, 84);
    EXPECT_EQ(r.trigger.urmsLow, 100.0f);
    EXPECT_EQ(r.trigger.ipeakMax, 9.999f);
}

TEST(AcquisitionShared, ExitRequestEndsAWaitEarly) {
    AcquisitionShared shared;
    EXPECT_FALSE(shared.waitForExit(1ms));
    auto waiting = std::async(std::launch::async, [&] { return shared.waitForExit(60s); });
    shared.requestExit();
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(waiting.get());
    EXPECT_TRUE(shared.exitRequested());
    EXPECT_TRUE(shared.request().exitRequested);
}

}  // namespace
}  // namespace voltaris
