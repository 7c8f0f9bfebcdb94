// The control panel against the running worker: commands, periods and pre-trigger, trigger
// conditions with re-arming, the harmonics lists, meter selection and the report buttons.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"
#include "support/WindowHarness.h"

namespace voltaris::test {

namespace {

bool stateIs(CMeterDlg& w, std::initializer_list<AcqStatus> states) {
    const AcqStatus s = w.shared().state();
    return std::find(states.begin(), states.end(), s) != states.end();
}

}  // namespace

TEST(ControlPanel, RunStopAndSingleDriveTheWorker) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();
    ASSERT_TRUE(WaitForCaptures(*w, 1));

    QTest::mouseClick(c.stop, Qt::LeftButton);
    EXPECT_EQ(w->shared().state(), AcqStatus::Idle);
    // The worker sees it: the state meter comes back to STOP and no capture follows.
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
    const int drawn = w->capturesDrawn();
    EXPECT_FALSE(WaitForCaptures(*w, 1, 600ms));
    EXPECT_EQ(w->capturesDrawn(), drawn);

    QTest::mouseClick(c.single, Qt::LeftButton);
    EXPECT_TRUE(stateIs(*w, {AcqStatus::SingleRequested, AcqStatus::SingleRunning}));
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    // One capture, then the worker stops by itself.
    ASSERT_TRUE(WaitForEvents("the single capture ends in Idle",
                              [&] { return w->shared().state() == AcqStatus::Idle; }));
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));

    QTest::mouseClick(c.run, Qt::LeftButton);
    EXPECT_TRUE(stateIs(*w, {AcqStatus::RunRequested, AcqStatus::Running}));
    ASSERT_TRUE(WaitForCaptures(*w, 2));
    EXPECT_TRUE(stateIs(*w, {AcqStatus::RunRequested, AcqStatus::Running}));

    for (const char* handler : {"OnStop", "OnSingle", "OnRun"}) {
        EXPECT_EQ(log.count("DEBUG1", handler), 1) << handler;
    }
}

TEST(ControlPanel, ReportButtonsComeBackOnlyWhenStopped) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    // Continuous captures from start-up: the buttons stay off across captures and redraws.
    ASSERT_TRUE(WaitForCaptures(*w, 3));
    c.tabs->setCurrentIndex(2);
    EXPECT_FALSE(c.exportCsv->isEnabled());
    EXPECT_FALSE(c.report->isEnabled());

    QTest::mouseClick(c.stop, Qt::LeftButton);
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
    // Enabled by the next display update, here the user's change of page.
    c.tabs->setCurrentIndex(0);
    EXPECT_TRUE(c.exportCsv->isEnabled());
    EXPECT_TRUE(c.report->isEnabled());

    QTest::mouseClick(c.single, Qt::LeftButton);
    EXPECT_FALSE(c.exportCsv->isEnabled());
    EXPECT_FALSE(c.report->isEnabled());
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    // The single capture ends with the acquisition stopped.
    ASSERT_TRUE(WaitForEvents("the report buttons are enabled",
                              [&] { return c.exportCsv->isEnabled() && c.report->isEnabled(); }));
}

TEST(ControlPanel, PeriodsEditIsHeldToTheSliderRange) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    TypeInto(*c.periodsEdit, "120");
    EXPECT_EQ(c.periodsEdit->text(), "85");
    EXPECT_EQ(c.periodsSlider->value(), 85);
    EXPECT_EQ(w->shared().request().periodCount, 85);
    EXPECT_EQ(c.preTriggerSlider->maximum(), 84);
    // The next capture has 85 analysed periods.
    ASSERT_TRUE(WaitForEvents("a capture of 85 periods analysed",
                              [&] { return w->measurements().PeriodsAnalysed == 85; }));

    TypeInto(*c.periodsEdit, "0");
    EXPECT_EQ(c.periodsSlider->value(), 1);
    EXPECT_EQ(c.periodsEdit->text(), "1");
    EXPECT_EQ(w->shared().request().periodCount, 1);
    EXPECT_EQ(c.preTriggerSlider->maximum(), 0);

    // Letters are refused by the number edit.
    TypeInto(*c.periodsEdit, "x");
    EXPECT_EQ(c.periodsSlider->value(), 1);
}

TEST(ControlPanel, FewerPeriodsPullThePreTriggerDown) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    TypeInto(*c.preTriggerEdit, "15");  // above periods - 1
    EXPECT_EQ(c.preTriggerEdit->text(), "9");
    EXPECT_EQ(c.preTriggerSlider->value(), 9);

    TypeInto(*c.periodsEdit, "5");
    EXPECT_EQ(c.periodsSlider->value(), 5);
    EXPECT_EQ(c.preTriggerSlider->value(), 4);
    EXPECT_EQ(c.preTriggerSlider->maximum(), 4);
    EXPECT_EQ(c.preTriggerEdit->text(), "4");
    // The pre-trigger reaches the request only with Ok.
    EXPECT_EQ(w->shared().request().preTrigger, 0);
    QTest::mouseClick(c.ok, Qt::LeftButton);
    EXPECT_EQ(w->shared().request().preTrigger, 4);

    // A keyboard step of the slider updates its edit.
    c.preTriggerSlider->setFocus();
    QTest::keyClick(c.preTriggerSlider, Qt::Key_Left);
    EXPECT_EQ(c.preTriggerEdit->text(), "3");
}

TEST(ControlPanel, TriggerConditionsAreClampedAndWrittenBack) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    TypeInto(*c.trigger[kUrmsLow], "-5");
    TypeInto(*c.trigger[kIrmsHigh], "20");
    TypeInto(*c.trigger[kPrmsHigh], "12.5");
    TypeInto(*c.trigger[kUpeakMax], "abc");
    TypeInto(*c.trigger[kUrmsHigh], "1e6");
    QTest::mouseClick(c.ok, Qt::LeftButton);

    EXPECT_EQ(c.trigger[kUrmsLow]->text(), "0.000000");
    EXPECT_EQ(c.trigger[kIrmsHigh]->text(), "9.999000");
    EXPECT_EQ(c.trigger[kPrmsHigh]->text(), "12.500000");
    EXPECT_EQ(c.trigger[kUpeakMax]->text(), "0.000000");
    EXPECT_EQ(c.trigger[kUrmsHigh]->text(), "999.900024");  // 999.9 as a float
    const AcqRequest r = w->shared().request();
    EXPECT_EQ(r.trigger.urmsLow, 0.0f);
    EXPECT_EQ(r.trigger.irmsHigh, 9.999f);
    EXPECT_EQ(r.trigger.prmsHigh, 12.5f);
    EXPECT_EQ(r.trigger.upeakMax, 0.0f);
    EXPECT_EQ(r.trigger.urmsHigh, 999.9f);

    QTest::mouseClick(c.zero, Qt::LeftButton);
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        EXPECT_EQ(c.trigger[field]->text(), "0.000000") << "field " << field;
    }
    EXPECT_EQ(w->shared().request().trigger.irmsHigh, 0.0f);
}

TEST(ControlPanel, OkDuringARunReArmsTheMeterWithTheNewThresholds) {
    sim::Config config;
    config.triggerAlwaysHolds = false;  // the armed capture waits: the run stays Running
    SimulatedMeter meter(config, MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions({meter.path()}));
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();
    ASSERT_TRUE(WaitForEvents("the run is under way",
                              [&] { return w->shared().state() == AcqStatus::Running; }));
    ASSERT_TRUE(meter.sim.isArmed());
    const auto before = meter.sim.triggerSetup();
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(before->urmsHigh, 0);

    TypeInto(*c.trigger[kUrmsHigh], "250");
    QTest::mouseClick(c.ok, Qt::LeftButton);
    // The worker arms again and sends the new limit with T.
    ASSERT_TRUE(WaitForEvents("the meter gets the new Urms limit", [&] {
        const auto setup = meter.sim.triggerSetup();
        return setup && setup->urmsHigh != 0;
    }));
    ASSERT_TRUE(WaitForEvents("the run is under way again",
                              [&] { return w->shared().state() == AcqStatus::Running; }));

    // A new periods count re-arms as well, with L for the new block count.
    TypeInto(*c.periodsEdit, "20");
    ASSERT_TRUE(WaitForEvents("the meter is armed for 22 blocks",
                              [&] { return meter.sim.blockCount() == 22; }));
}

TEST(ControlPanel, HarmonicsModeAndClassFollowEachOther) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    c.harmonicsLimits->setCurrentIndex(3);            // class C
    EXPECT_EQ(c.harmonicsMode->currentIndex(), 4);    // "%H1, log"
    c.harmonicsMode->setCurrentIndex(0);              // "Absolute"
    EXPECT_EQ(c.harmonicsLimits->currentIndex(), 0);  // "no limits"

    c.harmonicsLimits->setCurrentIndex(2);  // class B
    EXPECT_EQ(c.harmonicsMode->currentIndex(), 0);
    c.harmonicsMode->setCurrentIndex(3);  // "%H1, lin" fits class C only
    EXPECT_EQ(c.harmonicsLimits->currentIndex(), 0);

    c.harmonicsLimits->setCurrentIndex(3);
    c.harmonicsMode->setCurrentIndex(3);  // still class C
    EXPECT_EQ(c.harmonicsLimits->currentIndex(), 3);
    c.harmonicsMode->setCurrentIndex(1);  // "%tot,lin" takes no class
    EXPECT_EQ(c.harmonicsLimits->currentIndex(), 0);

    // Each change redraws once through the scale handler.
    EXPECT_EQ(log.count("DEBUG1", "OnScaleChange"), 7);
}

TEST(ControlPanel, PortSelectionSwitchesMeterAndGeneration) {
    SimulatedMeter v1(GenerationConfig(1), MeterPort::Free);
    SimulatedMeter v2(GenerationConfig(2), MeterPort::Free);
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions({v1.path(), v2.path()}));
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();
    ASSERT_EQ(c.comPort->count(), 2);

    c.comPort->setCurrentIndex(1);
    EXPECT_TRUE(c.download->isEnabled());
    EXPECT_EQ(w->deviceGeneration(), kGenerationV2);
    EXPECT_EQ(w->shared().request().portHandle, w->meters()[1].port.get());
    // The worker moves to the second meter.
    ASSERT_TRUE(WaitForEvents("the second meter receives frames",
                              [&] { return !v2.sim.receivedFrames().empty(); }));

    c.comPort->setCurrentIndex(0);
    EXPECT_FALSE(c.download->isEnabled());
    EXPECT_EQ(w->deviceGeneration(), kGenerationV1);
    EXPECT_EQ(w->shared().request().portHandle, w->meters()[0].port.get());

    const std::vector<std::string> info = log.messages("INFO");
    const std::string change2 = "Changemant V2 " + v2.path() + ",taille= 10";
    const auto at = std::find(info.begin(), info.end(), change2);
    ASSERT_NE(at, info.end());
    ASSERT_NE(at + 1, info.end());
    EXPECT_EQ(*(at + 1), "Version 2");
    EXPECT_EQ(log.count("INFO", "Changemant V1 " + v1.path() + ",taille= 10"), 1);
    EXPECT_EQ(log.count("DEBUG1", "OnEditChangePort"), 2);
}

TEST(ControlPanel, EnterAndEscapeDoNothing) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();
    QTest::mouseClick(c.stop, Qt::LeftButton);
    ASSERT_EQ(w->shared().state(), AcqStatus::Idle);

    c.run->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(c.run, key);
    }
    EXPECT_EQ(w->shared().state(), AcqStatus::Idle);
    EXPECT_TRUE(w->isVisible());

    // Enter in a trigger box does not apply the conditions, nor even reach the box.
    TypeInto(*c.trigger[kUrmsLow], "-5");
    QSignalSpy returns(c.trigger[kUrmsLow], &QLineEdit::returnPressed);
    QTest::keyClick(c.trigger[kUrmsLow], Qt::Key_Return);
    EXPECT_EQ(returns.count(), 0);
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    EXPECT_EQ(c.trigger[kUrmsLow]->text(), "-5");
    EXPECT_TRUE(w->isVisible());

    // Other keys still reach the controls: Space presses the focused button.
    c.run->setFocus();
    QTest::keyClick(c.run, Qt::Key_Space);
    EXPECT_NE(w->shared().state(), AcqStatus::Idle);
}

}  // namespace voltaris::test
