// The display update: the state meter for each worker phase, page switching, and the About box
// reached from the window's menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "support/LogCapture.h"
#include "support/Pixels.h"
#include "support/WindowHarness.h"
#include "ui/AboutBox.h"
#include "ui/charts/CChartPane.h"

namespace voltaris::test {

namespace {

// Columns of the meter where the images of two phases differ: where either pointer stands.
std::vector<int> differingColumns(const QImage& a, const QImage& b) {
    std::vector<int> columns;
    for (int x = 0; x < a.width(); ++x) {
        for (int y = 0; y < a.height(); ++y) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

}  // namespace

// The window with its acquisition stopped, so that only the test moves the state meter; what
// it checks is the image the pane shows.
class StateMeter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.initialised);
        QTest::mouseClick(w->controls().stop, Qt::LeftButton);
        ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
    }
    // The pane's image once the window was told of `phase`.
    QImage shown(int phase) {
        w->OnWorkerPhase(phase);
        return w->controls().statePane->image().toImage().convertToFormat(QImage::Format_ARGB32);
    }

    LogCapture log{kWindowProcess};
    AutoAnswerMessageService messages{false};
    WindowUnderTest w{messages, TestOptions()};
};

TEST_F(StateMeter, PointerStandsInTheZoneOfEachPhase) {
    QImage images[4];
    for (int phase = 0; phase < 4; ++phase) {
        images[phase] = shown(phase);
        ASSERT_EQ(images[phase].size(), QSize(140, 22));
        EXPECT_EQ(w->drawnPhase(), phase);
    }
    // The bar runs from x 2 to 138, one 34-pixel zone per phase. The pointer of phase s is in
    // the columns where its image differs from the images of two other phases.
    for (int phase = 0; phase < 4; ++phase) {
        const std::vector<int> a = differingColumns(images[phase], images[(phase + 1) % 4]);
        const std::vector<int> b = differingColumns(images[phase], images[(phase + 2) % 4]);
        std::vector<int> pointer;
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(pointer));
        ASSERT_FALSE(pointer.empty()) << "phase " << phase;
        const double centre = (pointer.front() + pointer.back()) / 2.0;
        const double zoneCentre = 2 + 34 * (phase + 0.5);
        EXPECT_NEAR(centre, zoneCentre, 3) << "phase " << phase;
        EXPECT_GE(pointer.front(), 2 + 34 * phase) << "phase " << phase;
        EXPECT_LT(pointer.back(), 2 + 34 * (phase + 1)) << "phase " << phase;
    }
    // Zone colours: red ACQ and grey STOP under the bar's middle row, away from the pointers.
    const QImage& idle = images[0];
    EXPECT_EQ(QColor(idle.pixel(2 + 34 * 2 + 3, 10)).rgb() & 0xFFFFFF, 0xff4040u);
    EXPECT_EQ(QColor(images[2].pixel(2 + 3, 10)).rgb() & 0xFFFFFF, 0xe0e0e0u);

    // The same phase again is not drawn again: the worker repeats phase 0 while idle.
    const qint64 key = w->controls().statePane->image().cacheKey();
    const int drawn = log.count("DEBUG1", "DrawState");
    w->OnWorkerPhase(3);
    w->OnWorkerPhase(3);
    EXPECT_EQ(w->controls().statePane->image().cacheKey(), key);
    EXPECT_EQ(log.count("DEBUG1", "DrawState"), drawn);
}

TEST_F(StateMeter, ZonesShowTheirColoursAndNamesWithoutNumbers) {
    const std::uint32_t colors[4] = {0xE0E0E0, 0xFFFF20, 0xFF4040, 0x20FF20};  // STOP .. TRF
    for (int phase = 0; phase < 4; ++phase) {
        SCOPED_TRACE(phase);
        const QImage image = shown(phase);
        ASSERT_EQ(image.size(), QSize(140, 22));
        EXPECT_EQ(rgbAt(image, 0, 11), 0x000000u);  // the black edge
        for (int zone = 0; zone < 4; ++zone) {
            // The top of each 34-pixel zone, above its name.
            const std::uint32_t top = rgbAt(image, 2 + 34 * zone + 17, 3);
            if (zone == phase) {
                // The half-transparent blue pointer over the zone's colour.
                EXPECT_GT(colorDistance(top, colors[zone]), 40);
                EXPECT_GT(top & 0xFF, colors[zone] & 0xFF);
            } else {
                EXPECT_EQ(top, colors[zone]) << "zone " << zone;
                // Its name in dark text.
                EXPECT_GT(countNear(image, QRect(2 + 34 * zone + 2, 4, 30, 12), 0x000000, 80), 10)
                    << "zone " << zone;
            }
        }
        // The scale's labels are blank: no numbers under the bar.
        EXPECT_EQ(countNear(image, QRect(10, 19, 20, 2), 0x000000, 80), 0);
    }
}

TEST(DisplayUpdate, PageChangeHidesPageControlsAndEmptiesOtherPages) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    MainControls& c = w->controls();
    ASSERT_TRUE(WaitForCaptures(*w, 1));
    QTest::mouseClick(c.stop, Qt::LeftButton);
    ASSERT_TRUE(WaitForDrawnPhase(*w, WorkerPhaseStopped));
    ASSERT_TRUE(c.panes->pane(1044).hasImage());
    ASSERT_TRUE(c.panes->pane(1045).hasImage());
    EXPECT_EQ(c.panes->pane(1044).image().size(), QSize(700, 280));
    EXPECT_FALSE(c.panes->pane(1046).hasImage());

    // As the harmonics page's builder will: its own controls shown.
    c.tabs->setCurrentIndex(4);
    for (QWidget* own : std::initializer_list<QWidget*>{c.harmonicsMode, c.harmonicsCount,
                                                        c.harmonicsLimits, c.harmonicsResult}) {
        own->show();
    }
    c.tabs->setCurrentIndex(2);
    for (QWidget* own : std::initializer_list<QWidget*>{c.harmonicsMode, c.harmonicsCount,
                                                        c.harmonicsLimits, c.harmonicsResult}) {
        EXPECT_FALSE(own->isVisible());
    }
    // The Statistics page shows its own button and charts; no chart of the Waveforms page stays.
    EXPECT_TRUE(c.resetStats->isVisible());
    for (int id = PaneGrid::kFirstId; id < PaneGrid::kLastId; ++id) {
        EXPECT_EQ(c.panes->pane(id).image().size(), QSize(145, 145)) << id;
    }
    EXPECT_FALSE(c.panes->pane(PaneGrid::kLastId).hasImage());
    // Back on Waveforms, the page is rebuilt from the last capture.
    c.tabs->setCurrentIndex(0);
    EXPECT_TRUE(c.panes->pane(1044).hasImage());
    EXPECT_EQ(log.count("DEBUG1", "OnSelChangeTabctrl"), 3);

    // A new scale redraws the chart.
    const qint64 before = c.panes->pane(1044).image().cacheKey();
    c.uScale->setCurrentIndex(4);
    EXPECT_NE(c.panes->pane(1044).image().cacheKey(), before);
    EXPECT_EQ(log.count("DEBUG1", "OnScaleChange"), 1);
}

TEST(DisplayUpdate, ResetStatsClearsTheStatistics) {
    LogCapture log(kWindowProcess);
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    ASSERT_TRUE(WaitForCaptures(*w, 2));
    EXPECT_GE(w->statistics().record(kStatVrms).count, 2u);
    QTest::mouseClick(w->controls().resetStats, Qt::LeftButton);
    EXPECT_EQ(w->statistics().record(kStatVrms).count, 0u);
    EXPECT_EQ(log.count("DEBUG1", "StatisticsReset"), 1);
}

TEST(MainWindow, AboutBoxOpensFromTheMenu) {
    AutoAnswerMessageService messages(false);
    WindowUnderTest w(messages, TestOptions());
    ASSERT_TRUE(w.initialised);
    QMenuBar* menu = w->findChild<QMenuBar*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* about = menu->actions().front();
    EXPECT_EQ(about->text(), "&About");

    QString caption;
    QString text;
    bool hasIcon = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) {
            return;
        }
        caption = box->windowTitle();
        if (const auto* label = box->findChild<QLabel*>("aboutText")) {
            text = label->text();
        }
        if (const auto* icon = box->findChild<QLabel*>("aboutIcon")) {
            hasIcon = !icon->pixmap().isNull();
        }
        static_cast<QDialog*>(box)->accept();
    });
    about->trigger();  // modal: returns once the box was closed
    EXPECT_EQ(caption, "About Voltaris");
    EXPECT_EQ(text, "Voltaris version 2.02");
    EXPECT_TRUE(hasIcon);
    EXPECT_FALSE(w->windowIcon().isNull());
}

}  // namespace voltaris::test

namespace voltaris::test {

TEST(MessageBoxes, RealBoxShowsTheTextAndGivesTheAnswer) {
    DialogMessageService service;
    const auto answerWith = [](QMessageBox::StandardButton button, QString& title, QString& text,
                               bool& hasCancel) {
        QTimer::singleShot(0, [&, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            title = box->windowTitle();
            text = box->text();
            hasCancel = box->button(QMessageBox::Cancel) != nullptr;
            box->button(button)->click();
        });
    };
    QString title;
    QString text;
    bool hasCancel = true;
    answerWith(QMessageBox::Ok, title, text, hasCancel);
    EXPECT_EQ(
        service.show(nullptr, "Calibration updated, wait for refresh !", "", MessageButtons::Ok),
        MessageAnswer::Ok);
    EXPECT_EQ(text, "Calibration updated, wait for refresh !");
    EXPECT_FALSE(hasCancel);

    answerWith(QMessageBox::Cancel, title, text, hasCancel);
    EXPECT_EQ(service.show(nullptr, "Recall factory calibration ?", "Calibration",
                           MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    EXPECT_EQ(title, "Calibration");
    EXPECT_TRUE(hasCancel);
}

}  // namespace voltaris::test
