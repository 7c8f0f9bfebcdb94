// "Download files" and its dialog as real widgets on the offscreen platform, in the window
// against a simulated second-generation meter: the checks before the dialog, the list, the log
// period, deletion, the download through the folder chooser, and Cancel clicked mid-download.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <set>

#include "files/CDownloadDlg.h"
#include "files/FolderChooser.h"
#include "support/SimulatedMeter.h"
#include "support/TempDir.h"
#include "support/WindowHarness.h"

namespace voltaris::test {
namespace {

using Strings = std::vector<std::string>;

// Answers the boxes with OK unless an answer was queued for a box with Cancel; keeps them all.
class AnsweringMessages final : public MessageService {
public:
    MessageAnswer show(QWidget*, const std::string& text, const std::string& caption,
                       MessageButtons buttons) override {
        shown.push_back({text, caption, buttons});
        if (buttons == MessageButtons::OkCancel && !answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return MessageAnswer::Ok;
    }
    std::deque<MessageAnswer> answers;
    std::vector<ShownMessage> shown;
};

class ScriptedChooser final : public FolderChooser {
public:
    std::optional<std::string> chooseFolder(QWidget*, const std::string& title,
                                            const std::string& initialFolder) override {
        asked.push_back(title + "|" + initialFolder);
        return answer;
    }
    std::optional<std::string> answer;
    Strings asked;
};

ShownMessage error(const std::string& text) {
    return {text, "ERROR !", MessageButtons::Ok};
}
ShownMessage information(const std::string& text) {
    return {text, "Information", MessageButtons::Ok};
}

// The reply to the third block of LOGB02 comes 400 ms late, time enough to click Cancel while
// it is on its way.
void SlowThirdBlock(sim::MeterSimulator& sim) {
    sim.setFrameObserver([&sim](const std::string& frame) {
        if (frame == "<XLOGB02 0001>" || frame == "<XLOGB02 0002>") {
            sim::Faults faults = sim.faults();
            faults.lateBytesMs = frame.ends_with("0001>") ? 400 : 0;
            sim.setFaults(faults);
        }
    });
}

class DownloadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_meter.ready());
        ASSERT_TRUE(m_dir.valid());
        m_chooser->answer = (m_dir.path() / "").string();
        StartupOptions options = TestOptions({m_meter.path()});
        options.folderChooser = m_chooser;
        m_window = std::make_unique<WindowUnderTest>(m_messages, std::move(options));
        ASSERT_TRUE(m_window->initialised);
        ASSERT_EQ((*m_window)->deviceGeneration(), kGenerationV2);
        ASSERT_TRUE(window().controls().download->isEnabled());
    }

    CMeterDlg& window() { return **m_window; }

    // Stops the acquisition, presses "Download files" and runs `body` in the dialog once it is
    // shown, then closes it. False when no dialog was shown.
    bool inDialog(const std::function<void(CDownloadDlg&)>& body) {
        window().controls().stop->click();
        m_messages.shown.clear();
        m_frames = m_meter.sim.receivedFrames().size();
        bool found = false;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CDownloadDlg*>(QApplication::activeModalWidget());
            if (found || dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            found = true;
            watch.stop();
            body(*dialog);
            dialog->accept();
        });
        watch.start();
        window().controls().download->click();
        return found;
    }

    // Frames the meter received from the first "<U>" after the dialog was asked for: the worker
    // finishes what it was sending when Stop was pressed, then sends nothing more.
    Strings frames() const {
        Strings sent = m_meter.framesFrom(m_frames);
        sent.erase(sent.begin(), std::find(sent.begin(), sent.end(), "<U>"));
        return sent;
    }

    static Strings rowTexts(const CDownloadDlg& dialog) {
        Strings rows;
        const QTreeWidget& list = *dialog.controls().files;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            rows.push_back((list.topLevelItem(i)->text(0) + " " + list.topLevelItem(i)->text(1))
                               .toStdString());
        }
        return rows;
    }

    SimulatedMeter m_meter{GenerationConfig(2), MeterPort::Free, SlowThirdBlock};
    TempDir m_dir;
    std::shared_ptr<ScriptedChooser> m_chooser = std::make_shared<ScriptedChooser>();
    AnsweringMessages m_messages;
    std::unique_ptr<WindowUnderTest> m_window;
    std::size_t m_frames = 0;
};

TEST_F(DownloadDialog, OpensWithTheCardFilesAndTheMetersLogPeriod) {
    m_meter.sim.addLogFile("BIG001", std::vector<std::uint8_t>(270000));
    const bool shown = inDialog([&](CDownloadDlg& dialog) {
        const CDownloadDlg::Controls& c = dialog.controls();
        EXPECT_EQ(dialog.windowTitle(), "File download");
        EXPECT_EQ(c.files->headerItem()->text(0), "Store files");
        EXPECT_EQ(c.files->headerItem()->text(1), "Size");
        EXPECT_EQ(c.files->header()->sectionSize(0), 120);
        EXPECT_EQ(rowTexts(dialog), (Strings{"LOG001 0 Ko", "LOG002 39 Ko", "BIG001 263 Ko"}));
        Strings periods;
        for (int i = 0; i < c.logPeriod->count(); ++i) {
            periods.push_back(c.logPeriod->itemText(i).toStdString());
        }
        EXPECT_EQ(periods, (Strings{"1 periode", "1 seconde", "5 secondes", "10 secondes",
                                    "30 secondes", "60 secondes", "Autres"}));
        EXPECT_EQ(c.logPeriod->currentText(), "1 seconde");  // 50 in the meter's EEPROM
        EXPECT_FALSE(c.cancelDownload->isEnabled());
        EXPECT_TRUE(c.downloadSelection->isEnabled());
        EXPECT_EQ(window().shared().portLoan(), PortLoan::Lent);
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(frames(), (Strings{"<U>", "<U>"}));  // the window's card check, then the list
    EXPECT_TRUE(m_messages.shown.empty());
    // The port is back with the worker: Run captures again.
    EXPECT_EQ(window().shared().portLoan(), PortLoan::None);
    window().controls().run->click();
    EXPECT_TRUE(WaitForCaptures(window(), 1));
}

TEST_F(DownloadDialog, RefusedWhileAcquiringWithoutCardOrAnswer) {
    // Running: nothing is sent.
    m_messages.shown.clear();
    const std::size_t before = m_meter.sim.receivedFrames().size();
    window().controls().download->click();
    EXPECT_EQ(m_messages.shown,
              std::vector{error("Synchronisation failed : Acquisition on going")});
    const Strings sent = m_meter.framesFrom(before);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "<U>"), 0);

    struct Case {
        sim::Faults faults;
        ShownMessage message;
        Strings sent;
    };
    const Case cases[] = {
        {sim::Faults{.noSdCard = true},
         error("Synchronisation failed : No SD card detected"),
         {"<U>"}},
        {sim::Faults{.silent = true}, error("Synchronisation failed : No answer from the meter"),
         Strings(3, "<U>")},  // three attempts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.text);
        m_meter.sim.setFaults(c.faults);
        EXPECT_FALSE(inDialog([](CDownloadDlg&) {}));
        EXPECT_EQ(m_messages.shown, std::vector{c.message});
        EXPECT_EQ(frames(), c.sent);
        EXPECT_EQ(window().shared().portLoan(), PortLoan::None);
    }
}

TEST_F(DownloadDialog, LogPeriodChoicesSendTheirValueAndAutresNothing) {
    ASSERT_TRUE(inDialog([&](CDownloadDlg& dialog) {
        QComboBox& list = *dialog.controls().logPeriod;
        list.setCurrentIndex(6);  // "Autres"
        list.setCurrentIndex(0);  // "1 periode"
        list.setCurrentIndex(1);  // "1 seconde": 50 periods
        EXPECT_EQ(window().shared().calibration().logPeriod, 50);
        list.setCurrentIndex(5);  // "60 secondes"
    }));
    EXPECT_EQ(frames(), (Strings{"<U>", "<U>", "<M0001>", "<M0032>", "<M0BB8>"}));
    EXPECT_EQ(m_messages.shown,
              (std::vector{error("Unsupported value, please select from the list"),
                           information("Log period modified"), information("Log period modified"),
                           information("Log period modified")}));
    EXPECT_EQ(window().shared().calibration().logPeriod, 3000);
    EXPECT_EQ(m_meter.sim.lastLogPeriod(), 3000);
}

TEST_F(DownloadDialog, DeleteAsksAndCountsTheFilesTheMeterDeleted) {
    m_messages.answers = {MessageAnswer::Cancel, MessageAnswer::Ok};
    ASSERT_TRUE(inDialog([&](CDownloadDlg& dialog) {
        const CDownloadDlg::Controls& c = dialog.controls();
        c.deleteSelected->click();  // nothing selected
        c.selectAll->click();
        EXPECT_EQ(c.files->selectedItems().size(), 2);
        c.deleteSelected->click();  // Cancel
        // LOG001 goes behind the dialog's back: the meter refuses to delete it again.
        m_meter.sim.removeLogFile("LOG001");
        c.deleteSelected->click();  // OK
        EXPECT_EQ(rowTexts(dialog), Strings{});
    }));
    const ShownMessage question{"Do you really want to delete the selected file(s) ?", "Warning !",
                                MessageButtons::OkCancel};
    EXPECT_EQ(m_messages.shown, (std::vector{error("No file selected"), question, question,
                                             information("1 file(s) deleted")}));
    EXPECT_EQ(frames(), (Strings{"<U>", "<U>", "<YLOG001>", "<YLOG002>", "<U>"}));
}

TEST_F(DownloadDialog, DownloadSelectionThroughTheChooserWithStatusAndProgress) {
    m_meter.sim.clearLogFiles();
    m_meter.sim.addLogFile("LOGA01", sim::makeLogRecords(10));
    m_meter.sim.addLogFile("LOGB02", sim::makeLogRecords(2100));  // 3 blocks
    std::set<std::string> statuses;
    std::set<int> progress;
    bool buttonsDuring = true;
    ASSERT_TRUE(inDialog([&](CDownloadDlg& dialog) {
        const CDownloadDlg::Controls& c = dialog.controls();
        c.downloadSelection->click();  // nothing selected
        c.selectAll->click();
        m_chooser->answer.reset();
        c.downloadSelection->click();  // the chooser is cancelled: nothing happens
        m_chooser->answer = (m_dir.path() / "").string();
        // Samples the dialog while the download runs: it handles its events meanwhile.
        QTimer sample;
        sample.setInterval(1);
        QObject::connect(&sample, &QTimer::timeout, [&] {
            statuses.insert(c.status->text().toStdString());
            if (c.progress->maximum() == 3) {
                progress.insert(c.progress->value());
            }
            buttonsDuring = buttonsDuring && c.cancelDownload->isEnabled() &&
                            !c.downloadSelection->isEnabled() && !c.selectAll->isEnabled() &&
                            !c.deleteSelected->isEnabled();
        });
        sample.start();
        c.downloadSelection->click();
        sample.stop();
        EXPECT_EQ(c.status->text(), " ");
        EXPECT_EQ(c.progress->value(), 0);
        EXPECT_FALSE(c.cancelDownload->isEnabled());
        EXPECT_TRUE(c.downloadSelection->isEnabled());
        EXPECT_EQ(dialog.lastDownload().files.size(), 2u);
    }));
    EXPECT_EQ(m_chooser->asked, Strings(2, "Download directory selection|"));
    EXPECT_EQ(m_messages.shown,
              (std::vector{error("No file selected"), information("Download ended")}));
    EXPECT_TRUE(statuses.contains("File download 2 on 2 : LOGB02.csv"));
    EXPECT_TRUE(buttonsDuring);
    EXPECT_FALSE(progress.empty());
    EXPECT_TRUE(std::includes(std::set{0, 1, 2, 3}.begin(), std::set{0, 1, 2, 3}.end(),
                              progress.begin(), progress.end()));
    for (const auto& [name, lines] : {std::pair{"LOGA01.csv", 11}, std::pair{"LOGB02.csv", 2101}}) {
        const std::string text = ReadFile(m_dir.path() / name);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines) << name;
    }
}

TEST_F(DownloadDialog, CancelClickedDuringTheThirdBlockOfTheSecondOfThreeFiles) {
    m_meter.sim.clearLogFiles();
    m_meter.sim.addLogFile("LOGA01", sim::makeLogRecords(10));
    m_meter.sim.addLogFile("LOGB02", sim::makeLogRecords(4000));  // 4 blocks
    m_meter.sim.addLogFile("LOGC03", sim::makeLogRecords(10));
    ASSERT_TRUE(inDialog([&](CDownloadDlg& dialog) {
        const CDownloadDlg::Controls& c = dialog.controls();
        c.selectAll->click();
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const Strings sent = m_meter.sim.receivedFrames();
            if (!sent.empty() && sent.back() == "<XLOGB02 0002>") {
                watch.stop();
                EXPECT_TRUE(c.cancelDownload->isEnabled());
                c.cancelDownload->click();
            }
        });
        watch.start();
        c.downloadSelection->click();
        EXPECT_TRUE(dialog.lastDownload().cancelled);
    }));
    const Strings sent = frames();
    const Strings blocks(sent.begin() + 2, sent.end());
    EXPECT_EQ(blocks,
              (Strings{"<XLOGA01 0000>", "<XLOGB02 0000>", "<XLOGB02 0001>", "<XLOGB02 0002>"}));
    EXPECT_EQ(m_messages.shown, std::vector{error("Download stopped")});
    EXPECT_TRUE(std::filesystem::exists(m_dir.path() / "LOGB02.csv"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "LOGC03.csv"));
}

TEST_F(DownloadDialog, CancelEndsABlockThatStoppedComingAtOnce) {
    m_meter.sim.clearLogFiles();
    m_meter.sim.addLogFile("LOGB02", sim::makeLogRecords(4000));
    sim::Faults faults;
    faults.cutLogBlock = 1;  // the second block stops after 100 bytes
    faults.cutLogBlockAt = 100;
    m_meter.sim.setFaults(faults);
    std::chrono::steady_clock::duration took{};
    ASSERT_TRUE(inDialog([&](CDownloadDlg& dialog) {
        const CDownloadDlg::Controls& c = dialog.controls();
        c.selectAll->click();
        std::chrono::steady_clock::time_point clicked{};
        QTimer::singleShot(0, [&] {
            (void)WaitForEvents("the second block is asked for", [&] {
                const Strings sent = m_meter.sim.receivedFrames();
                return !sent.empty() && sent.back() == "<XLOGB02 0001>";
            });
            QTest::qWait(500);  // the cut is reached: nothing more comes
            clicked = std::chrono::steady_clock::now();
            c.cancelDownload->click();
        });
        c.downloadSelection->click();
        took = std::chrono::steady_clock::now() - clicked;
        EXPECT_TRUE(dialog.lastDownload().cancelled);
    }));
    // Well before the 5 s after which a stalled block fails by itself.
    EXPECT_LT(took, 2s);
    EXPECT_EQ(m_messages.shown, std::vector{error("Download stopped")});
}

}  // namespace
}  // namespace voltaris::test
