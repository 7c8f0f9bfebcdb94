// Closing the window while the worker is busy: in the middle of a paced transfer, and while it
// waits for a message box to be answered. The worker must end within its bound and nothing may
// touch the window afterwards.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTabWidget>

#include "acquisition/AcquisitionWorker.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/WorkerMessages.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"
#include "support/WindowHarness.h"
#include "ui/ScreenshotRunner.h"

namespace voltaris::test {

TEST(WindowShutdown, ClosingDuringATransferEndsTheWorker) {
    sim::Config config;
    config.paced = true;  // 87 blocks take about 2 s at the line rate
    SimulatedMeter meter(config, MeterPort::Free);
    ASSERT_TRUE(meter.ready());
    AutoAnswerMessageService messages(false);
    auto window = std::make_unique<CMeterDlg>(messages, TestOptions({meter.path()}));
    ASSERT_TRUE(window->OnInitDialog());
    window->show();
    TypeInto(*window->controls().periodsEdit, "85");

    // Armed for 87 blocks, then the state meter shows TRF once the meter's capture is complete
    // and the transfer begins.
    ASSERT_TRUE(WaitForEvents("the meter is armed for 87 blocks", [&] {
        return meter.sim.blockCount() == 87 && window->drawnPhase() != WorkerPhaseTransferring;
    }));
    ASSERT_TRUE(WaitForDrawnPhase(*window, WorkerPhaseTransferring));
    const int drawn = window->capturesDrawn();
    const auto before = std::chrono::steady_clock::now();
    window->close();
    const auto took = std::chrono::steady_clock::now() - before;

    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->Shutdown());  // the worker ended within its bound
    EXPECT_FALSE(window->workerRunning());
    EXPECT_LT(took, AcquisitionWorker::kStopBound);
    // Whatever the worker posted before it ended is never delivered.
    QCoreApplication::processEvents();
    EXPECT_EQ(window->capturesDrawn(), drawn);
    window.reset();
    QCoreApplication::processEvents();
}

TEST(WindowShutdown, ClosingWhileTheWorkerWaitsOnABoxReleasesIt) {
    HoldingMessageService messages;
    auto window = std::make_unique<CMeterDlg>(messages, TestOptions());
    ASSERT_TRUE(window->OnInitDialog());  // the demonstration box is answered at once
    window->show();
    ASSERT_TRUE(WaitForCaptures(*window, 1));

    bool closedInsideBox = false;
    bool workerEnded = false;
    messages.hold(true);
    messages.onShown = [&] {
        // The box is open and the worker waits for it: the user closes the main window.
        window->close();
        closedInsideBox = messages.open();
        workerEnded = !window->workerRunning();
        messages.release();
    };
    // In demonstration mode a calibration store ends with a message box from the worker.
    window->shared().setState(AcqStatus::StoreCalibration);
    ASSERT_TRUE(WaitForEvents("the window closes inside the box", [&] { return closedInsideBox; }));
    EXPECT_TRUE(workerEnded);
    EXPECT_TRUE(window->Shutdown());
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].text, kCalibrationUpdatedText);
    window.reset();
    QCoreApplication::processEvents();
}

TEST(WindowShutdown, DestroyingTheWindowStopsTheWorker) {
    AutoAnswerMessageService messages(false);
    auto window = std::make_unique<CMeterDlg>(messages, TestOptions());
    ASSERT_TRUE(window->OnInitDialog());
    ASSERT_TRUE(WaitForCaptures(*window, 1));
    const std::weak_ptr<const AcquisitionShared> shared = window->sharedBlocks();
    window.reset();  // without closing it first
    // The worker thread held the shared blocks until it ended.
    EXPECT_TRUE(shared.expired());
    QCoreApplication::processEvents();
}

// Every capture completes at once and its transfer fails.
class FailingTransferSource final : public CaptureSource {
public:
    bool arm(const AcqRequest&) override { return true; }
    CapturePoll poll(const AcqRequest&) override { return CapturePoll::Complete; }
    bool transfer(const AcqRequest&, AcquisitionShared&) override { return false; }
    bool storeCalibration(const CalibrationParams&, bool) override { return true; }
};

// Neither a trigger that never holds nor a transfer that fails gives a screenshot.
TEST(ScreenshotMode, GivesUpWhenNoCaptureComes) {
    sim::Config config;
    config.triggerAlwaysHolds = false;
    SimulatedMeter meter(config, MeterPort::Free);
    StartupOptions failing = TestOptions();
    failing.captureSource = [] { return std::make_unique<FailingTransferSource>(); };
    for (StartupOptions options : {TestOptions({meter.path()}), failing}) {
        const bool failingTransfer = static_cast<bool>(options.captureSource);
        test::TempDir dir;
        AutoAnswerMessageService messages(false);
        CMeterDlg window(messages, std::move(options));
        ASSERT_TRUE(window.OnInitDialog());
        const QString file = dir.filePath("never.png");
        ScreenshotRunner runner(window, file, 3, std::chrono::steady_clock::now(),
                                failingTransfer ? 2000ms : 300ms);
        window.show();
        runner.start();
        EXPECT_EQ(runner.exitCode(), -1);
        ASSERT_TRUE(WaitForEvents("the runner gives up", [&] { return runner.exitCode() >= 0; }));
        EXPECT_EQ(runner.exitCode(), 1);
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.workerRunning());
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_EQ(window.controls().tabs->currentIndex(), 3);
        if (failingTransfer) {
            EXPECT_GE(window.capturesDrawn(), 1);  // the failed transfer was drawn, not saved
        }
    }
}

TEST(ScreenshotMode, SavesTheWindowAfterTheFirstCapture) {
    test::TempDir dir;
    AutoAnswerMessageService messages(false);
    CMeterDlg window(messages, TestOptions());
    ASSERT_TRUE(window.OnInitDialog());
    const QString file = dir.filePath("window.png");
    ScreenshotRunner runner(window, file, 0, std::chrono::steady_clock::now());
    window.show();
    runner.start();
    ASSERT_TRUE(WaitForEvents("the screenshot is saved", [&] { return runner.exitCode() >= 0; }));
    EXPECT_EQ(runner.exitCode(), 0);
    const QImage image(file);
    EXPECT_EQ(image.size(), window.size());
    EXPECT_EQ(window.capturesDrawn(), 1);
}

}  // namespace voltaris::test
