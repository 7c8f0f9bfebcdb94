// Angular and linear meters: size, background, edge, zones, pointers, labels and texts.
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "ui/charts/Meter.h"
#include "ui/charts/SampleCharts.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

namespace voltaris::charts {
namespace {

using test::colorDistance;
using test::countNear;
using test::lightnessAt;
using test::rgbAt;

// Pixel of the Vrms dial (centre (15, 130), scale 0..400 from 90 to 0 degrees) at a value's angle.
QPoint dialPoint(double value, double radius) {
    const double angle = (90.0 - value / 400.0 * 90.0) * M_PI / 180.0;
    return QPoint(static_cast<int>(std::lround(15 + radius * std::sin(angle))),
                  static_cast<int>(std::lround(130 - radius * std::cos(angle))));
}

TEST(AngularMeter, DrawsFrameZonesAndPointer) {
    const QImage image = samples::vrmsMeter(231.4).render();
    ASSERT_EQ(image.size(), QSize(145, 145));
    EXPECT_EQ(rgbAt(image, 0, 70), 0x000000u);
    EXPECT_EQ(rgbAt(image, 144, 70), 0x000000u);
    // Sunken by two pixels: dark inside the top-left edge.
    EXPECT_LT(lightnessAt(image, 1, 70), lightnessAt(image, 5, 70) - 20);
    // Metal background: grey near 0xDDDDDD, shaded across the chart.
    EXPECT_LE(colorDistance(rgbAt(image, 8, 60), 0xDDDDDD), 45);
    EXPECT_LE(colorDistance(rgbAt(image, 120, 138), 0xDDDDDD), 45);
    EXPECT_NE(rgbAt(image, 8, 60), rgbAt(image, 70, 60));
    // Red zones 0..90 and 350..400, with the metal between them.
    const QPoint low = dialPoint(40, 80);
    const QPoint high = dialPoint(380, 60);
    const QPoint between = dialPoint(150, 70);
    EXPECT_EQ(rgbAt(image, low.x(), low.y()), 0xFF3333u);
    EXPECT_EQ(rgbAt(image, high.x(), high.y()), 0xFF3333u);
    EXPECT_GT(colorDistance(rgbAt(image, between.x(), between.y()), 0xFF3333), 100);
    // The pointer (a quarter-opaque black) darkens the dial along the value's angle only.
    const QPoint onPointer = dialPoint(231.4, 60);
    const QPoint offPointer = dialPoint(270, 60);
    EXPECT_LT(lightnessAt(image, onPointer.x(), onPointer.y()),
              lightnessAt(image, offPointer.x(), offPointer.y()) - 25);
    // Value box: white digits in a black box at the top right.
    EXPECT_GT(countNear(image, QRect(85, 7, 50, 20), 0x000000, 10), 100);
    EXPECT_GT(countNear(image, QRect(85, 7, 50, 20), 0xFFFFFF, 40), 10);
    // Title at (5, 112) in the default text colour.
    EXPECT_GT(countNear(image, QRect(5, 102, 80, 20), 0x000000, 40), 30);
}

TEST(AngularMeter, PointerIsHeldToTheScale) {
    const QImage over = samples::vrmsMeter(450).render();
    const QImage top = samples::vrmsMeter(400).render();
    // Above the maximum the pointer rests on 400, exactly as for 400 (the value box differs).
    const QRect dial(15, 30, 60, 95);
    EXPECT_EQ(over.copy(dial), top.copy(dial));
    const QPoint atMax = dialPoint(400, 70);
    EXPECT_LT(lightnessAt(over, atMax.x(), atMax.y()), 210);
}

TEST(AngularMeter, LabelsAndTicksFollowTheScale) {
    AngularMeter meter(200, 200, 0xFFFFFF);
    meter.setMeter(100, 100, 90, -90, 90);
    meter.setScale(0, 10, 5, 1);
    meter.addLabel(5, "MID");
    EXPECT_EQ(meter.ticks(283).major, (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(meter.ticks(283).minor.size(), 8u);
    const QImage image = meter.render();
    // "MID" replaces 5 at the top; numbers at the ends (left and right of the centre).
    EXPECT_GT(countNear(image, QRect(80, 20, 40, 30), 0x000000, 60), 10);
    EXPECT_GT(countNear(image, QRect(10, 85, 40, 30), 0x000000, 60), 3);
    EXPECT_GT(countNear(image, QRect(150, 85, 40, 30), 0x000000, 60), 3);

    AngularMeter automatic(200, 200, 0xFFFFFF);
    automatic.setMeter(100, 100, 90, -90, 90);
    automatic.setScale(0, 4);
    EXPECT_EQ(automatic.ticks(283).major, (std::vector<double>{0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4}));
}

TEST(LinearMeter, VerticalMeterGrowsUpwards) {
    LinearMeter meter(60, 200, 0xFFFFFF);
    meter.setMeter(20, 10, 20, 180, kLeft, false);
    meter.setScale(0, 100, 50);
    meter.addZone(0, 50, 0x0000FF);
    meter.addZone(50, 100, 0xFF0000);
    const QImage image = meter.render();
    EXPECT_EQ(rgbAt(image, 30, 150), 0x0000FFu);
    EXPECT_EQ(rgbAt(image, 30, 50), 0xFF0000u);
    meter.setMeter(20, 10, 20, 180, kLeft, true);
    const QImage reversed = meter.render();
    EXPECT_EQ(rgbAt(reversed, 30, 150), 0xFF0000u);
    EXPECT_EQ(rgbAt(reversed, 30, 50), 0x0000FFu);
}

TEST(Meters, WritePngAndRejectInvalidSizes) {
    test::TempDir dir;
    const std::string path = dir.filePath("dial.png").toStdString();
    ASSERT_TRUE(samples::vrmsMeter(231.4).renderToPng(path));
    QImage loaded;
    ASSERT_TRUE(loaded.load(QString::fromStdString(path)));
    EXPECT_EQ(loaded.size(), QSize(145, 145));
    EXPECT_TRUE(AngularMeter(0, 145).render().isNull());
    EXPECT_TRUE(LinearMeter(140, 0).render().isNull());
    // A degenerate scale draws the frame and no ticks instead of failing.
    AngularMeter flat(50, 50, 0x808080);
    flat.setScale(3, 3);
    flat.addPointer(3);
    EXPECT_EQ(flat.render().size(), QSize(50, 50));
}

}  // namespace
}  // namespace voltaris::charts
