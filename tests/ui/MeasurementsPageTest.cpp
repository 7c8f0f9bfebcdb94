// The Measurements page: fifteen dials in their panes, pointers held to the scale while the
// value box shows the value as measured, and the red zones of the table.
#include <gtest/gtest.h>

#include <cmath>

#include "PageTestSupport.h"
#include "ui/pages/MeasurementsPage.h"

namespace voltaris::test {

namespace {

const DialSpec& dialOf(int pane) {
    for (const MeasureDial& d : MeasureDials()) {
        if (d.dial.pane == pane) {
            return d.dial;
        }
    }
    return MeasureDials().front().dial;
}

// Whether the dial of pane `pane` is red where `value` lies, 75 pixels from the centre
// (15, 130); the scale runs from 90 degrees (minimum, pointing right) to 0 (maximum, up).
bool redAt(const QImage& image, int pane, double value) {
    const DialSpec& s = dialOf(pane);
    const double a = (90.0 - (value - s.minimum) / (s.maximum - s.minimum) * 90.0) * M_PI / 180;
    const QPoint p(static_cast<int>(std::lround(15 + 75 * std::sin(a))),
                   static_cast<int>(std::lround(130 - 75 * std::cos(a))));
    return (image.pixel(p) & 0xFFFFFF) == 0xFF3333;
}

// The dial of pane `pane` as the page draws it for `field` = `value`.
QImage dialFor(PageHarness& h, double MeasurementSet::*field, int pane, double value) {
    (*h.m).*field = value;
    EXPECT_TRUE(h.drawOnScreen(DrawChartMeasure).ok);
    return h.image(pane);
}

// The value box at the top right, and the dial below it.
const QRect kValueBox(80, 0, 65, 30);
const QRect kDial(0, 30, 145, 115);

}  // namespace

TEST(MeasurementsPage, FifteenDialsWithTheirZonesAndPane1059Cleared) {
    PageHarness h;
    h.panes.pane(1059).setChart(MakeAngularMeter(dialOf(1044), 1));
    h.m->PeriodsAnalysed = 10;
    const PageOutcome outcome = h.drawOnScreen(DrawChartMeasure);
    EXPECT_TRUE(outcome.drawn && outcome.ok);
    EXPECT_EQ(h.panesShown(), 15);
    EXPECT_FALSE(h.panes.pane(1059).hasImage());
    for (const MeasureDial& d : MeasureDials()) {
        EXPECT_EQ(h.panes.pane(d.dial.pane).image().size(), QSize(145, 145)) << d.dial.title;
    }
    // The power factor has only its low zone, to 0.25; Vrms both, below 90 and above 350.
    EXPECT_TRUE(redAt(h.image(1055), 1055, 0.1));
    EXPECT_FALSE(redAt(h.image(1055), 1055, 0.5));
    EXPECT_FALSE(redAt(h.image(1055), 1055, 0.95));
    EXPECT_TRUE(redAt(h.image(1044), 1044, 45));
    EXPECT_FALSE(redAt(h.image(1044), 1044, 200));
    EXPECT_TRUE(redAt(h.image(1044), 1044, 380));
}

TEST(MeasurementsPage, PointerIsHeldToTheScaleWhileTheBoxShowsTheValue) {
    PageHarness h;
    h.m->PeriodsAnalysed = 10;
    // 450 V puts the pointer where 400 V does, while the box shows 450 with one decimal: the
    // same box as 450.04, not as 400 or 450.1.
    const QImage over = dialFor(h, &MeasurementSet::Vrms, 1044, 450);
    const QImage top = dialFor(h, &MeasurementSet::Vrms, 1044, 400);
    EXPECT_EQ(over.copy(kDial), top.copy(kDial));
    EXPECT_NE(over.copy(kValueBox), top.copy(kValueBox));
    EXPECT_EQ(over.copy(kValueBox),
              dialFor(h, &MeasurementSet::Vrms, 1044, 450.04).copy(kValueBox));
    EXPECT_NE(over.copy(kValueBox), dialFor(h, &MeasurementSet::Vrms, 1044, 450.1).copy(kValueBox));
    EXPECT_NE(over.copy(kDial), dialFor(h, &MeasurementSet::Vrms, 1044, 390).copy(kDial));

    // 30 Hz rests the pointer on 40; the low zone (from 0) shows from 40 to 45 only.
    const QImage slow = dialFor(h, &MeasurementSet::F, 1057, 30);
    EXPECT_EQ(slow.copy(kDial), dialFor(h, &MeasurementSet::F, 1057, 40).copy(kDial));
    EXPECT_TRUE(redAt(slow, 1057, 43));
    EXPECT_FALSE(redAt(slow, 1057, 50));
    EXPECT_TRUE(redAt(slow, 1057, 68));
}

}  // namespace voltaris::test
