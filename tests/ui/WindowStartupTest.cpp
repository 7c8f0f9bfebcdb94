// Start-up of the main window: controls and their defaults, demonstration mode when no meter
// answers, detection of simulated meters named on the command line or in VOLTARIS_PORTS.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include "device/MeterDetection.h"
#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"
#include "support/WindowHarness.h"
#include "ui/charts/CChartPane.h"

namespace voltaris::test {

namespace {

QStringList items(const QComboBox& list) {
    QStringList result;
    for (int k = 0; k < list.count(); ++k) {
        result << list.itemText(k);
    }
    return result;
}

}  // namespace

TEST(WindowStartup, ControlsHoldTheirListsAndDefaults) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();

    EXPECT_EQ(w->windowTitle(), "Voltaris V2.02");
    EXPECT_EQ(ClientAreaSize(), QSize(995, 681));
    ASSERT_EQ(c.tabs->count(), 8);
    const QStringList tabs = {
        "Waveforms",         "Measurements", "Statistics", "Transcient analysis",
        "Harmonic analysis", "VA graph",     "Energy",     "Calibration"};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(c.tabs->tabText(k), tabs[k]);
    }
    EXPECT_EQ(c.tabs->currentIndex(), 0);

    EXPECT_EQ(items(*c.uScale), QStringList({"Auto", "100V", "200V", "300V", "400V", "500V"}));
    EXPECT_EQ(items(*c.iScale), QStringList({"Auto", " 10mA", " 20mA", " 50mA", "100mA", "200mA",
                                             "500mA", "   1A", "   2A", "   5A"}));
    EXPECT_EQ(items(*c.pScale),
              QStringList({"Auto", "100mW", "200mW", "500mW", "   1W", "   2W", "   5W", "  10W",
                           "  20W", "  50W", " 100W", " 200W", " 500W"}));
    EXPECT_EQ(items(*c.filter), QStringList({"No filter", "Low pass 1KHz", "Low pass 2KHz"}));
    EXPECT_EQ(items(*c.harmonicsMode),
              QStringList({"Absolute", "%tot,lin", "%tot,log", "%H1, lin", "%H1, log"}));
    EXPECT_EQ(items(*c.harmonicsCount), QStringList({"13 points", "40 points"}));
    EXPECT_EQ(items(*c.harmonicsLimits),
              QStringList({"no limits", "class A", "class B", "class C", "class D"}));
    for (QComboBox* list :
         {c.uScale, c.iScale, c.pScale, c.harmonicsMode, c.harmonicsCount, c.harmonicsLimits}) {
        EXPECT_EQ(list->currentIndex(), 0);
    }
    EXPECT_EQ(c.filter->currentIndex(), 2);

    EXPECT_EQ(c.periodsSlider->minimum(), 1);
    EXPECT_EQ(c.periodsSlider->maximum(), 85);
    EXPECT_EQ(c.periodsSlider->value(), 10);
    EXPECT_EQ(c.periodsEdit->text(), "10");
    // The pre-trigger follows the periods: 0 .. 9.
    EXPECT_EQ(c.preTriggerSlider->minimum(), 0);
    EXPECT_EQ(c.preTriggerSlider->maximum(), 9);
    EXPECT_EQ(c.preTriggerEdit->text(), "0");

    // The Zero action ran; the boxes show the texts it put there.
    const char* expected[kTriggerFieldCount] = {"0.0",   "0.000", "0.0", "0.0",
                                                "0.000", "0.0",   "0.0", "0.0"};
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        EXPECT_EQ(c.trigger[field]->text(), expected[field]) << "field " << field;
    }
    EXPECT_EQ(c.title->text(), "n/a");
    EXPECT_FALSE(c.exportCsv->isEnabled());
    EXPECT_FALSE(c.report->isEnabled());
    EXPECT_FALSE(c.download->isEnabled());
    EXPECT_EQ(c.statePane->image().size(), QSize(140, 22));
}

TEST(WindowStartup, WithoutMeterRunsTheDemonstration) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "No Voltaris found - Demonstration mode");
    EXPECT_EQ(messages.shown()[0].caption, "");
    EXPECT_EQ(w->controls().comPort->count(), 0);
    EXPECT_TRUE(w->demoMode());
    EXPECT_EQ(w->deviceGeneration(), kGenerationV1);

    const AcqRequest request = w->shared().request();
    EXPECT_EQ(request.portHandle, nullptr);
    EXPECT_EQ(request.periodCount, 10);

    // The start-up box: first and last texts, and no port was searched.
    const std::vector<StartupStatus>& box = w->startupHistory();
    ASSERT_GE(box.size(), 2u);
    EXPECT_EQ(box.front().headline, "Voltaris");
    EXPECT_EQ(box.front().detail, "Initializing, please wait...");
    EXPECT_EQ(box.back().headline, "Thanks for using Voltaris !");
    for (const StartupStatus& status : box) {
        EXPECT_FALSE(status.detail.startsWith("Searching"));
    }

    ASSERT_TRUE(WaitForCaptures(*w, 2));
    EXPECT_EQ(w->measurements().PeriodsAnalysed, 10u);
    EXPECT_TRUE(w->controls().panes->pane(1044).hasImage());
    EXPECT_FALSE(w->controls().initialising->isVisible());
    EXPECT_EQ(log.count("INFO", "OnDataChange : new data received !"), w->capturesDrawn());
    EXPECT_EQ(log.count("DEBUG1", "DrawChartWaveforms"), log.count("DEBUG1", "waveform updated"));
    // Still one box: the worker raised none.
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST(WindowStartup, TwoMetersAreListedInDetectionOrder) {
    SimulatedMeter v1(GenerationConfig(1), MeterPort::Free);
    SimulatedMeter v2(GenerationConfig(2), MeterPort::Free);
    ASSERT_TRUE(v1.ready() && v2.ready());

    AutoAnswerMessageService messages(false);
    // One named on the command line, the other through the VOLTARIS_PORTS list.
    StartupOptions options = TestOptions({v1.path()});
    options.portsEnvironment = v2.path() + ":";
    WindowUnderTest w(messages, options);
    ASSERT_TRUE(w.initialised);

    EXPECT_TRUE(messages.shown().empty());
    QComboBox& list = *w->controls().comPort;
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0).toStdString(), "V1 " + v1.path());
    EXPECT_EQ(list.itemText(1).toStdString(), "V2 " + v2.path());
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_FALSE(w->demoMode());
    EXPECT_EQ(w->deviceGeneration(), kGenerationV1);
    EXPECT_FALSE(w->controls().download->isEnabled());
    EXPECT_EQ(w->shared().request().portHandle, w->meters()[0].port.get());
    // A first-generation meter has no clock to set.
    EXPECT_FALSE(v1.sim.meterClock().has_value());

    bool counted = false;
    for (const StartupStatus& status : w->startupHistory()) {
        counted = counted || (status.headline == "2 Voltaris detected" &&
                              status.detail == "Application starting...");
    }
    EXPECT_TRUE(counted);

    // Captures come from the selected meter.
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    EXPECT_GT(v1.sim.receivedFrames().size(), 0u);
    EXPECT_GT(w->measurements().Vrms, 200);
}

TEST(WindowStartup, SecondGenerationMeterGetsItsClockAndDownloads) {
    sim::Config config;
    config.generation = 2;
    SimulatedMeter meter(config, MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions({meter.path()}));
    ASSERT_TRUE(w.initialised);

    EXPECT_EQ(w->deviceGeneration(), kGenerationV2);
    EXPECT_TRUE(w->controls().download->isEnabled());
    const auto clock = meter.sim.meterClock();
    ASSERT_TRUE(clock.has_value());
    const std::tm now = LocalTimeNow();
    EXPECT_EQ(clock->year, now.tm_year + 1900);
}

}  // namespace voltaris::test
