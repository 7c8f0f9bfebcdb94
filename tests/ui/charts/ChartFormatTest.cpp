// Colour values, font mapping and label templates.
#include "ui/charts/ChartTypes.h"
#include "ui/charts/LabelFormat.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFont>

#include <cmath>
#include <vector>

namespace voltaris::charts {
namespace {

TEST(ChartColor, TopByteIsTransparency) {
    EXPECT_EQ(toQColor(0x008000), QColor(0, 128, 0, 255));
    EXPECT_EQ(toQColor(0x800000FF), QColor(0, 0, 255, 127));
    EXPECT_EQ(toQColor(0x04FFC0C0).alpha(), 251);
    EXPECT_EQ(toQColor(kTransparent).alpha(), 0);
    EXPECT_TRUE(isInvisible(kTransparent));
    EXPECT_FALSE(isInvisible(0xC0000000));
}

TEST(ChartColor, PaletteAndDefaultResolve) {
    EXPECT_EQ(toQColor(kTextColor), QColor(0, 0, 0));
    EXPECT_EQ(toQColor(kBackgroundColor), QColor(255, 255, 255));
    EXPECT_FALSE(isInvisible(kTextColor));
    // -1 takes the fallback of the element, itself resolved.
    EXPECT_EQ(toQColor(kDefault, 0x123456), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(toQColor(static_cast<Color>(-1), kTextColor), QColor(0, 0, 0));
    EXPECT_EQ(toQColor(kDefault, kDefault).alpha(), 0);
}

TEST(ChartFont, FileNamesGiveWeightAndSlant) {
    const QFont regular = chartFont("arial.ttf", 9);
    EXPECT_FALSE(regular.bold());
    EXPECT_FALSE(regular.italic());
    EXPECT_EQ(regular.pixelSize(), 12);  // 9 points at 96 dpi
    EXPECT_TRUE(chartFont("arialbd.ttf", 9).bold());
    EXPECT_FALSE(chartFont("arialbd.ttf", 9).italic());
    EXPECT_TRUE(chartFont("ariali.ttf", 9).italic());
    EXPECT_FALSE(chartFont("ariali.ttf", 9).bold());
    EXPECT_TRUE(chartFont("ARIALBI.TTF", 12).bold());
    EXPECT_TRUE(chartFont("ARIALBI.TTF", 12).italic());
    EXPECT_EQ(chartFont("ARIALBI.TTF", 12).pixelSize(), 16);
    EXPECT_FALSE(chartFont("", 8).bold());
    // Nonsense sizes fall back to 8 points instead of failing.
    EXPECT_EQ(chartFont("arial.ttf", -3).pixelSize(), 11);
    EXPECT_EQ(chartFont("arial.ttf", NAN).pixelSize(), 11);
}

TEST(LabelFormat, DecimalsSeparatorsAndSign) {
    EXPECT_EQ(formatLabel("{value|3 }", 1234.5678), "1 234.568");
    EXPECT_EQ(formatLabel("{value|3 }", -1234567.5), "-1 234 567.500");
    EXPECT_EQ(formatLabel("{value|3 }", 221.4), "221.400");
    EXPECT_EQ(formatLabel("{value|2,.}", 1234.5), "1,234.50");
    EXPECT_EQ(formatLabel("{value|0}", 2.5), "2");  // printf rounding, half to even
    EXPECT_EQ(formatValue(-0.0001, "2"), "0.00");
    EXPECT_EQ(formatValue(450, "1"), "450.0");
    EXPECT_EQ(formatValue(0.1 + 0.2, ""), "0.3");
    EXPECT_EQ(formatValue(230.04, "{value|1} V"), "230.0 V");
    EXPECT_EQ(formatNumber(1.0 / 3, 99), "0.333333333333");  // decimals held to 12
}

TEST(LabelFormat, FieldsAndPlainText) {
    const std::vector<double> fields{-30.04, 7};
    EXPECT_EQ(formatLabel("{value|2}V\n{field0|1}°", 12.345, fields), "12.35V\n-30.0°");
    EXPECT_EQ(formatLabel("{field1}", 0, fields), "7");
    EXPECT_EQ(formatLabel("{value|2}%\n{field0|1}°", 1, {}), "1.00%\n°");
    EXPECT_EQ(formatLabel("{field2|1}", 0, fields), "");
    EXPECT_EQ(formatLabel("{unknown}x", 5), "x");
    EXPECT_EQ(formatLabel("no fields", 5), "no fields");
    EXPECT_EQ(formatLabel("open {value", 5), "open {value");
    EXPECT_EQ(formatLabel("{value|x}", 5), "5");
    EXPECT_EQ(formatLabel("{value|1}", NAN), "NaN");
}

}  // namespace
}  // namespace voltaris::charts
