// Parts of the window that stand on their own: trigger-condition reading, the harmonics list
// coupling, the command line, the string table, the pane grid, and the worker-to-window queue.
#include <gtest/gtest.h>

#include <QStringList>
#include <atomic>
#include <thread>

#include "StringTable.h"
#include "acquisition/TriggerConditions.h"
#include "analysis/HarmonicsCoupling.h"
#include "device/MeterDetection.h"
#include "support/WindowHarness.h"
#include "ui/AppOptions.h"
#include "ui/DialogUnits.h"
#include "ui/PaneGrid.h"
#include "ui/UiStrings.h"
#include "ui/WindowObserver.h"
#include "ui/WorkerEventQueue.h"

namespace voltaris::test {

TEST(TriggerConditions, TypedTextIsReadLikeScanfAndHeldToItsRange) {
    struct Case {
        const char* text;
        TriggerField field;
        float expected;
    };
    const Case cases[] = {
        {"-5", kUrmsLow, 0},           {"20", kIrmsHigh, 9.999f},   {"20", kUrmsHigh, 20},
        {"1000", kPrmsHigh, 999.9f},   {"10", kIpeakMax, 9.999f},   {"10", kUpeakMax, 10},
        {"abc", kUrmsLow, 0},          {"", kPrmsLow, 0},           {"  12.5xyz", kUrmsLow, 12.5f},
        {"+3", kPrmsLow, 3},           {"nan", kUrmsLow, 0},        {"inf", kIrmsLow, 9.999f},
        {"1e40", kUrmsHigh, 999.9f},   {"1e-50", kUrmsHigh, 0},     {"-inf", kUpeakMax, 0},
        {"0.0005", kIrmsLow, 0.0005f}, {"9.999", kIrmsLow, 9.999f}, {".5", kIrmsLow, 0.5f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseTriggerValue(c.text, c.field), c.expected) << '"' << c.text << '"';
    }
}

TEST(TriggerConditions, ValuesAreWrittenBackWithSixDecimals) {
    EXPECT_EQ(FormatTriggerValue(0), "0.000000");
    EXPECT_EQ(FormatTriggerValue(9.999f), "9.999000");
    EXPECT_EQ(FormatTriggerValue(999.9f), "999.900024");
    EXPECT_EQ(FormatTriggerValue(0.0005f), "0.000500");
    // The two Irms limits zero with three decimals, every other box with one.
    for (int f = 0; f < kTriggerFieldCount; ++f) {
        const auto field = static_cast<TriggerField>(f);
        EXPECT_STREQ(TriggerZeroText(field), f == kIrmsLow || f == kIrmsHigh ? "0.000" : "0.0");
    }
    const TriggerThresholds t = ToThresholds({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(t, (TriggerThresholds{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(HarmonicsCoupling, ClassAndModeMoveEachOther) {
    // From "Absolute" with no limits, each class picks its mode.
    EXPECT_EQ(AfterLimitClassChange({kModeTotalLog, kClassC}),
              (HarmonicsSelection{kModeH1Log, kClassC}));
    for (int cls : {kClassA, kClassB, kClassD}) {
        EXPECT_EQ(AfterLimitClassChange({kModeH1Lin, cls}),
                  (HarmonicsSelection{kModeAbsolute, cls}));
    }
    EXPECT_EQ(AfterLimitClassChange({kModeTotalLin, kNoLimits}),
              (HarmonicsSelection{kModeTotalLin, kNoLimits}));

    struct Case {
        HarmonicsSelection before;
        int classAfter;
    };
    const Case modes[] = {
        {{kModeAbsolute, kClassC}, kNoLimits}, {{kModeAbsolute, kClassA}, kClassA},
        {{kModeTotalLin, kClassA}, kNoLimits}, {{kModeTotalLog, kClassD}, kNoLimits},
        {{kModeH1Lin, kClassC}, kClassC},      {{kModeH1Log, kClassB}, kNoLimits},
    };
    for (const Case& c : modes) {
        const HarmonicsSelection after = AfterDisplayModeChange(c.before);
        EXPECT_EQ(after.limitClass, c.classAfter)
            << "mode " << c.before.displayMode << " class " << c.before.limitClass;
        EXPECT_EQ(after.displayMode, c.before.displayMode);
    }
}

TEST(AppOptions, ParsesPortsScreenshotPageAndTheFactorySwitch) {
    const AppOptionsResult r =
        ParseAppOptions({"voltaris", "--port", "/dev/pts/3", "--port", "/dev/pts/4", "--screenshot",
                         "/tmp/s.png", "--page", "7", "/MFG"});
    ASSERT_TRUE(r.options) << r.error;
    EXPECT_EQ(r.options->ports, (std::vector<std::string>{"/dev/pts/3", "/dev/pts/4"}));
    EXPECT_EQ(r.options->screenshot, "/tmp/s.png");
    EXPECT_EQ(r.options->page, 7);
    EXPECT_TRUE(r.options->mfg);

    const AppOptionsResult plain = ParseAppOptions({"voltaris"});
    ASSERT_TRUE(plain.options);
    EXPECT_TRUE(plain.options->ports.empty());
    EXPECT_FALSE(plain.options->screenshot);
    EXPECT_FALSE(plain.options->mfg);
    EXPECT_TRUE(ParseAppOptions({"voltaris", "--mfg"}).options->mfg);
}

TEST(AppOptions, RejectsWhatItCannotUse) {
    const QStringList wrong[] = {
        {"voltaris", "--page", "2"},                           // no screenshot
        {"voltaris", "--screenshot", "s.png", "--page", "8"},  // tabs 0..7
        {"voltaris", "--screenshot", "s.png", "--page", "two"},
        {"voltaris", "--port"},
        {"voltaris", "--port", ""},
        {"voltaris", "--bogus"},
        {"voltaris", "stray"},
        {"voltaris", "/mfg"},  // the switch is spelt in capitals
    };
    for (const QStringList& args : wrong) {
        const AppOptionsResult r = ParseAppOptions(args);
        EXPECT_FALSE(r.options) << args.join(' ').toStdString();
        EXPECT_FALSE(r.error.empty()) << args.join(' ').toStdString();
    }
}

TEST(StringTable, HoldsTheWindowTextsById) {
    EXPECT_EQ(FindStringEntry(kStrAbout), "&About");
    EXPECT_EQ(FindStringEntry(kStrTabTransient), "Transcient analysis");
    EXPECT_EQ(FindStringEntry(kStrLowPass2k), "Low pass 2KHz");
    // The same texts as the detection shows.
    EXPECT_EQ(FindStringEntry(kStrNoMeterFound), kDemonstrationModeText);
    EXPECT_EQ(FindStringEntry(kStrDetectionOnGoing), kDetectionHeadlineText);
    EXPECT_EQ(FindStringEntry(kStrMetersDetected), kMetersDetectedText);
    EXPECT_EQ(FindStringEntry(136), "Calibration impossible : wrong actual voltage ");
    EXPECT_EQ(FindStringEntry(169),
              "Wrong password !\nPlease enter the correct administrator password");
    EXPECT_FALSE(FindStringEntry(150));
    EXPECT_FALSE(FindStringEntry(100));
    EXPECT_FALSE(FindStringEntry(170));
}

TEST(StringTable, MissingEntryIsReportedAndEmpty) {
    AutoAnswerMessageService messages(false);
    EXPECT_EQ(LoadUiString(kStrTabEnergy, messages), "Energy");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(LoadUiString(999, messages), "");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Error Loading String 999");
}

TEST(PaneGrid, PanesSitInTheirGridCells) {
    // Columns x 163, 289, 410, 533 and rows y 32, 123, 214, 305 dialog units.
    EXPECT_EQ(PaneGrid::position(1044), QPoint(245, 52));
    EXPECT_EQ(PaneGrid::position(1046), QPoint(245, 200));
    EXPECT_EQ(PaneGrid::position(1045), QPoint(245, 348));
    EXPECT_EQ(PaneGrid::position(1047), QPoint(245, 496));
    EXPECT_EQ(PaneGrid::position(1048), QPoint(434, 52));
    EXPECT_EQ(PaneGrid::position(1057), QPoint(800, 348));
    EXPECT_EQ(PaneGrid::position(1059), QPoint(800, 496));
    EXPECT_EQ(dlu::rect(150, 7, 506, 405), QRect(225, 11, 759, 659));
}

TEST(WorkerEventQueue, CallsFromAnotherThreadRunInOrderOnTheEventLoop) {
    const auto queue = WorkerEventQueue::create();
    ASSERT_TRUE(queue);
    std::vector<int> seen;  // written on this thread only, by the calls
    constexpr int kCalls = 2000;
    std::thread poster([&] {
        for (int k = 0; k < kCalls; ++k) {
            queue->post([&seen, k] { seen.push_back(k); });
        }
    });
    ASSERT_TRUE(WaitForEvents("every posted call ran",
                              [&] { return static_cast<int>(seen.size()) == kCalls; }));
    poster.join();
    for (int k = 0; k < kCalls; ++k) {
        ASSERT_EQ(seen[static_cast<std::size_t>(k)], k);
    }

    // Discarded calls never run.
    queue->post([&seen] { seen.push_back(-1); });
    queue->discard();
    EXPECT_EQ(queue->pending(), 0u);
    queue->drain();
    EXPECT_EQ(seen.back(), kCalls - 1);
}

TEST(WindowObserver, RepeatedPhasesAreSentOnce) {
    const auto queue = WorkerEventQueue::create();
    ASSERT_TRUE(queue);
    std::vector<int> phases;
    WindowObserver::Handlers handlers;
    handlers.phase = [&](int p) { phases.push_back(p); };
    handlers.capture = [](bool) {};
    handlers.message = [](const std::string&, const std::string&) {};
    WindowObserver observer(*queue, handlers);
    std::thread worker([&] {
        for (int p : {1, 2, 2, 3, 0, 0, 0, 1}) {
            observer.phaseChanged(p);
        }
    });
    worker.join();
    queue->drain();
    EXPECT_EQ(phases, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST(WindowObserver, MessageHoldsTheWorkerUntilAnsweredOrStopping) {
    const auto queue = WorkerEventQueue::create();
    ASSERT_TRUE(queue);
    std::vector<std::string> shown;
    WindowObserver::Handlers handlers;
    handlers.phase = [](int) {};
    handlers.capture = [](bool) {};
    handlers.message = [&](const std::string& text, const std::string& caption) {
        shown.push_back(caption + ":" + text);
    };
    WindowObserver observer(*queue, handlers);

    std::atomic<int> returned{0};
    std::atomic<bool> goOn{false};
    std::thread worker([&] {
        observer.showMessage("first", "ERROR");
        ++returned;
        // The second box waits until the event loop stopped running, however slow this is.
        while (!goOn.load()) {
            std::this_thread::yield();
        }
        observer.showMessage("second", "");
        ++returned;
        observer.showMessage("after stopping", "");  // returns at once
        ++returned;
    });
    // The first box is answered on this thread's event loop, and the worker goes on.
    ASSERT_TRUE(WaitForEvents("the first box is shown", [&] { return !shown.empty(); }));
    EXPECT_EQ(shown, (std::vector<std::string>{"ERROR:first"}));
    ASSERT_TRUE(WaitFor("the worker goes on", [&] { return returned.load() == 1; }));
    goOn = true;
    // The second is still queued when the window closes (no event loop runs here): released
    // without being shown.
    ASSERT_TRUE(WaitFor("the second box is queued", [&] { return queue->pending() == 1; }));
    observer.stopping();
    worker.join();
    EXPECT_EQ(returned.load(), 3);
    queue->drain();
    EXPECT_EQ(shown, (std::vector<std::string>{"ERROR:first"}));
}

}  // namespace voltaris::test
