// Captures reach the window through the hand-over: each analysed once into the statistics and
// the energy series however the worker's reports queue, and only the newest drawn. The pages
// come from the page table.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <atomic>

#include "acquisition/CaptureHandOver.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/DemoCaptureSource.h"
#include "StringTable.h"
#include "ui/DisplayUpdate.h"
#include "ui/PaneGrid.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/PageTable.h"
#include "support/LogCapture.h"
#include "support/WaitFor.h"
#include "support/WindowHarness.h"

namespace voltaris::test {
namespace {

constexpr int kCaptures = 6;

// Once opened, completes every armed capture at once until `count` were delivered, far faster
// than the window draws; then waits for a trigger that never comes.
class BurstSource final : public CaptureSource {
public:
    BurstSource(int count, const std::atomic<bool>& open) : m_count(count), m_open(open) {}
    bool arm(const AcqRequest&) override { return true; }
    CapturePoll poll(const AcqRequest&) override {
        return m_open && m_delivered < m_count ? CapturePoll::Complete : CapturePoll::Waiting;
    }
    bool transfer(const AcqRequest& request, AcquisitionShared& shared) override {
        ++m_delivered;
        return m_signals.transfer(request, shared);
    }
    bool storeCalibration(const CalibrationParams&, bool) override { return true; }

private:
    const int m_count;
    const std::atomic<bool>& m_open;
    int m_delivered = 0;
    DemoCaptureSource m_signals;
};

TEST(CaptureHandOver, QueuedReportsAnalyseEachCaptureOnceAndDrawTheNewest) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    std::atomic<bool> open{false};
    StartupOptions options = TestOptions();
    options.captureSource = [&open] { return std::make_unique<BurstSource>(kCaptures, open); };
    WindowUnderTest w(messages, std::move(options));
    ASSERT_TRUE(w.initialised);
    const int drawnBefore = w->capturesDrawn();

    open = true;
    // A plain wait, not running the event loop, so that the worker's reports stay queued.
    ASSERT_TRUE(WaitFor("every capture handed over", [&] {
        return w->handOver().pending() == static_cast<std::size_t>(kCaptures);
    }));
    ASSERT_TRUE(WaitForEvents("the queued reports handled", [&] {
        return log.count("INFO", "OnDataChange : no new capture, display kept") == kCaptures - 1;
    }));

    EXPECT_EQ(w->capturesAnalysed(), kCaptures);
    EXPECT_EQ(w->lastSequence(), static_cast<std::uint64_t>(kCaptures));
    EXPECT_EQ(w->statistics().record(kStatVrms).count, static_cast<std::uint32_t>(kCaptures));
    const auto& power = w->measurements().EnergyPower;
    EXPECT_EQ(std::count_if(power.begin(), power.end(), [](double p) { return p != 0; }),
              kCaptures);
    EXPECT_EQ(w->capturesDrawn() - drawnBefore, 1);
    EXPECT_EQ(w->handOver().pending(), 0u);
    EXPECT_EQ(w->handOver().dropped(), 0u);
}

TEST(PageTable, TabsAndPanesFollowTheTable) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    MainControls& c = w->controls();
    ASSERT_EQ(c.tabs->count(), static_cast<int>(Pages().size()));
    for (int k = 0; k < c.tabs->count(); ++k) {
        const PageDescriptor& page = Pages()[k];
        EXPECT_EQ(c.tabs->tabText(k).toStdString(), FindStringEntry(page.tabString).value_or(""))
            << page.name;
        c.tabs->setCurrentIndex(k);
        ASSERT_EQ(w->display().pageDrawnLast(), k) << page.name;
        int shown = 0;
        for (int id = PaneGrid::kFirstId; id <= PaneGrid::kLastId; ++id) {
            shown += c.panes->pane(id).hasImage() ? 1 : 0;
        }
        EXPECT_GT(shown, 0) << page.name;
        EXPECT_EQ(c.resetStats->isVisible(), (page.controls & kResetStatsControl) != 0)
            << page.name;
        EXPECT_EQ(c.harmonicsMode->isVisible(), (page.controls & kHarmonicsModeControl) != 0)
            << page.name;
    }
}

}  // namespace
}  // namespace voltaris::test
