// The per-pixel-column reduction keeps every column's extremes, checked against the raw data and
// against the drawing of the raw line.
#include "support/Pixels.h"
#include "ui/charts/LineReduction.h"
#include "ui/charts/XYChart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

namespace voltaris::charts {
namespace {

struct ColumnStats {
    double min = INFINITY;
    double max = -INFINITY;
    double firstX = NAN;
    double lastX = NAN;
};

long columnOf(double x, double lower, double upper, int columns) {
    const double c = std::floor((x - lower) / (upper - lower) * columns);
    return c < 0 ? -1 : (c >= columns ? columns : static_cast<long>(c));
}

std::map<long, ColumnStats> statsPerColumn(const std::vector<double>& x,
                                           const std::vector<double>& y, double lower, double upper,
                                           int columns) {
    std::map<long, ColumnStats> out;
    for (std::size_t i = 0; i < y.size(); ++i) {
        if (std::isnan(y[i])) {
            continue;
        }
        const double xi = x.empty() ? static_cast<double>(i) : x[i];
        ColumnStats& s = out[columnOf(xi, lower, upper, columns)];
        s.min = std::min(s.min, y[i]);
        s.max = std::max(s.max, y[i]);
        if (std::isnan(s.firstX)) {
            s.firstX = xi;
        }
        s.lastX = xi;
    }
    return out;
}

// Every kept point is an input point, in input order.
bool isSubsequence(const std::vector<double>& x, const std::vector<double>& y,
                   const ReducedLine& r) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < r.x.size(); ++k, ++i) {
        while (i < y.size() && !((x.empty() ? static_cast<double>(i) : x[i]) == r.x[k] &&
                                 (y[i] == r.y[k] || (std::isnan(y[i]) && std::isnan(r.y[k]))))) {
            ++i;
        }
        if (i == y.size()) {
            return false;
        }
    }
    return true;
}

void expectSameExtremes(const std::vector<double>& x, const std::vector<double>& y, double lower,
                        double upper, int columns) {
    const ReducedLine r = reduceToColumns(x, y, lower, upper, columns);
    EXPECT_TRUE(isSubsequence(x, y, r));
    EXPECT_LE(r.x.size(), 4u * static_cast<std::size_t>(columns + 2) +
                              static_cast<std::size_t>(std::count_if(
                                  y.begin(), y.end(), [](double v) { return std::isnan(v); })) *
                                  5);
    const auto raw = statsPerColumn(x, y, lower, upper, columns);
    const auto kept = statsPerColumn(r.x, r.y, lower, upper, columns);
    ASSERT_EQ(raw.size(), kept.size());
    for (const auto& [column, s] : raw) {
        const ColumnStats& k = kept.at(column);
        EXPECT_EQ(k.min, s.min) << "column " << column;
        EXPECT_EQ(k.max, s.max) << "column " << column;
        EXPECT_EQ(k.firstX, s.firstX) << "column " << column;
        EXPECT_EQ(k.lastX, s.lastX) << "column " << column;
    }
}

TEST(LineReduction, KeepsEveryColumnsExtremesOfNoisyWaveforms) {
    std::mt19937 rng(20240611);
    std::normal_distribution<double> noise(0, 8);
    std::uniform_int_distribution<int> spikeAt(0, 23039);
    for (int round = 0; round < 5; ++round) {
        std::vector<double> y(23040);
        for (std::size_t i = 0; i < y.size(); ++i) {
            y[i] = 325 * std::sin(2 * M_PI * static_cast<double>(i) / 256) + noise(rng);
        }
        for (int s = 0; s < 20; ++s) {
            y[static_cast<std::size_t>(spikeAt(rng))] =
                (s % 2 == 0 ? 1 : -1) * 900.0;  // one-sample spikes
        }
        expectSameExtremes({}, y, 0, 23039, 620);
        expectSameExtremes({}, y, 0, 23039, 97);
    }
}

TEST(LineReduction, HandlesUnevenXAndPointsOutsideTheRange) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> gap(0, 3);
    std::uniform_real_distribution<double> value(-1, 1);
    std::vector<double> x(5000);
    std::vector<double> y(5000);
    double t = -100;
    for (std::size_t i = 0; i < x.size(); ++i) {
        t += (i % 50 == 0) ? 0 : gap(rng);  // repeated x values too
        x[i] = t;
        y[i] = value(rng);
    }
    ASSERT_TRUE(isNonDecreasing(x));
    // The range covers only the middle of the data: points on each side share one column there.
    expectSameExtremes(x, y, 1000, 5000, 300);
}

TEST(LineReduction, NanEndsASegmentAndIsKept) {
    std::vector<double> y(4000);
    for (std::size_t i = 0; i < y.size(); ++i) {
        y[i] = std::sin(static_cast<double>(i) * 0.37) * 10;
    }
    y[1000] = NAN;
    y[1001] = NAN;
    y[2500] = NAN;
    const ReducedLine r = reduceToColumns({}, y, 0, 3999, 50);
    EXPECT_EQ(std::count_if(r.y.begin(), r.y.end(), [](double v) { return std::isnan(v); }), 3);
    // The points around the gap stay, so the line stops and restarts exactly there.
    const auto has = [&](double xv) { return std::find(r.x.begin(), r.x.end(), xv) != r.x.end(); };
    EXPECT_TRUE(has(999));
    EXPECT_TRUE(has(1002));
    EXPECT_TRUE(has(2499));
    EXPECT_TRUE(has(2501));
    expectSameExtremes({}, y, 0, 3999, 50);
}

TEST(LineReduction, ShortLinesAndDegenerateRangesStayExact) {
    const std::vector<double> y{3, 1, 4, 1, 5, 9, 2, 6};
    const ReducedLine same = reduceToColumns({}, y, 0, 7, 100);
    EXPECT_EQ(same.y, y);
    // At least one column: first, lowest (the first 1), highest and last.
    const ReducedLine one = reduceToColumns({}, y, 0, 8, 0);
    EXPECT_EQ(one.x, (std::vector<double>{0, 1, 5, 7}));
    const ReducedLine flat = reduceToColumns({}, y, 5, 5, 100);  // empty range: one column
    EXPECT_EQ(flat.x.size(), 4u);
    EXPECT_TRUE(reduceToColumns({}, {}, 0, 1, 10).x.empty());
    // x and y of different lengths: only the pairs that exist.
    const std::vector<double> x{0, 1, 2};
    EXPECT_EQ(reduceToColumns(x, y, 0, 2, 10).y, (std::vector<double>{3, 1, 4}));
}

TEST(LineReduction, OrderCheck) {
    EXPECT_TRUE(isNonDecreasing(std::vector<double>{}));
    EXPECT_TRUE(isNonDecreasing(std::vector<double>{0, 0, 1, NAN, 2}));
    EXPECT_FALSE(isNonDecreasing(std::vector<double>{0, 2, 1}));
}

// Topmost and bottommost row of every column where the line's colour shows.
std::vector<std::pair<int, int>> lineExtentPerColumn(const QImage& image, const QRect& plot,
                                                     std::uint32_t color) {
    std::vector<std::pair<int, int>> out;
    for (int x = plot.left(); x <= plot.right(); ++x) {
        int top = -1;
        int bottom = -1;
        for (int y = plot.top(); y <= plot.bottom(); ++y) {
            if (test::colorDistance(test::rgbAt(image, x, y), color) <= 90) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        out.emplace_back(top, bottom);
    }
    return out;
}

// Nothing lost, nothing invented: every pixel column of the reduced drawing shows its samples'
// lowest and highest values, and draws nowhere the full drawing does not. (The full drawing's
// width-2 strokes of many tiny segments bleed a little further into neighbouring columns, so
// the two are not compared pixel for pixel.)
TEST(LineReduction, ReducedLineShowsEveryColumnsExtremes) {
    std::mt19937 rng(99);
    std::normal_distribution<double> noise(0, 20);
    std::vector<double> y(20000);
    for (std::size_t i = 0; i < y.size(); ++i) {
        y[i] = 300 * std::sin(2 * M_PI * static_cast<double>(i) / 700) + noise(rng);
    }
    y[12345] = 390;  // one sample that must stay visible
    XYChart chart(300, 160, 0xFFFFFF);
    chart.setPlotArea(20, 10, 260, 130, 0xFFFFFF, kDefault, kDefault, kTransparent);
    chart.yAxis().setLinearScale(-400, 400);
    chart.addLineLayer(y, 0x0000FF).setLineWidth(2);
    const QImage fast = chart.render();
    chart.setFastLines(false);
    const QImage full = chart.render();
    const QRect plot(20, 10, 260, 130);
    const auto fastExtent = lineExtentPerColumn(fast, plot, 0x0000FF);
    const auto fullExtent = lineExtentPerColumn(full, plot, 0x0000FF);
    // Where samples land: antialiased lines sit half a pixel right of and below the scale's
    // pixel, so sample i is drawn in pixel column floor(i * 260 / 19999 + 0.5).
    const double half = 0.5 * 19999.0 / 260;
    const auto raw = statsPerColumn({}, y, -half, 19999 + half, 261);
    const auto rowOf = [](double v) { return 139.5 - (v + 400) / 800 * 130; };
    for (int c = 1; c < 260; ++c) {  // column 0 lies under the y axis line
        const auto [top, bottom] = fastExtent[static_cast<std::size_t>(c)];
        const auto [fullTop, fullBottom] = fullExtent[static_cast<std::size_t>(c)];
        const ColumnStats& s = raw.at(c);
        EXPECT_LE(top, rowOf(s.max) + 1) << "column " << c;
        EXPECT_GE(bottom, rowOf(s.min) - 1) << "column " << c;
        // Between its extremes the column is inked throughout.
        const int from = static_cast<int>(std::ceil(rowOf(s.max)));
        const int to = static_cast<int>(std::floor(rowOf(s.min)));
        EXPECT_EQ(test::countNear(fast, QRect(20 + c, from, 1, to - from + 1), 0x0000FF, 90),
                  to - from + 1)
            << "column " << c;
        EXPECT_GE(top, fullTop - 1) << "column " << c;
        EXPECT_LE(bottom, fullBottom + 1) << "column " << c;
    }
    // The spike reaches its own row: 390 on +-400 is row 11.6.
    const auto spikeColumn = static_cast<std::size_t>(12345.0 * 260 / 19999 + 0.5);
    EXPECT_LE(fastExtent[spikeColumn].first, 12);
}

}  // namespace
}  // namespace voltaris::charts

namespace voltaris::charts {
namespace {

TEST(PixelReduction, KeepsWhereTheCurveEntersAndLeavesEachPixel) {
    const double nan = NAN;
    const QVector<QPointF> line{{0.1, 0.1}, {0.5, 0.6}, {0.9, 0.2},  // one pixel
                                {1.5, 0.5},                          // alone on its pixel
                                {2.2, 0.4}, {2.3, 0.5}, {2.4, 0.9},  // one pixel
                                {nan, nan}, {2.5, 0.5}, {2.6, 0.6},  // a gap restarts the run
                                {0.2, 0.2}};                         // back on the first pixel
    const QVector<QPointF> expected{{0.1, 0.1}, {0.9, 0.2}, {1.5, 0.5}, {2.2, 0.4}, {2.4, 0.9},
                                    {nan, nan}, {2.5, 0.5}, {2.6, 0.6}, {0.2, 0.2}};
    const QVector<QPointF> reduced = reduceToPixels(line);
    ASSERT_EQ(reduced.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (std::isnan(expected[i].x())) {
            EXPECT_TRUE(std::isnan(reduced[i].x())) << i;
        } else {
            EXPECT_EQ(reduced[i], expected[i]) << i;
        }
    }
    // No two neighbours on one pixel: nothing to drop.
    const QVector<QPointF> sparse{{0, 0}, {3, 1}, {6, 2}, {3.5, 1.5}};
    EXPECT_EQ(reduceToPixels(sparse), sparse);
    EXPECT_TRUE(reduceToPixels({}).isEmpty());
}

TEST(PixelReduction, RetracedStepsAreStrokedAtMostTwice) {
    // Ten laps of one square loop of four pixel steps, then one new step.
    QVector<QPointF> laps;
    for (int lap = 0; lap < 10; ++lap) {
        for (const QPointF& p :
             {QPointF(0.5, 0.5), QPointF(10.5, 0.5), QPointF(10.5, 10.5), QPointF(0.5, 10.5)}) {
            laps.push_back(p + QPointF(0.01 * lap, 0));  // noise within the pixel
        }
    }
    laps.push_back(QPointF(20.5, 20.5));
    const QVector<QPointF> kept = dropRetracedSegments(laps);
    int segments = 0;
    for (qsizetype i = 0; i + 1 < kept.size(); ++i) {
        segments += std::isfinite(kept[i].x()) && std::isfinite(kept[i + 1].x()) ? 1 : 0;
    }
    EXPECT_EQ(segments, 2 * 4 + 1);  // two laps, then the step to (20, 20)
    EXPECT_EQ(kept.back(), laps.back());
    EXPECT_EQ(kept.front(), laps.front());
    // A path that never retraces stays whole.
    const QVector<QPointF> open{{0, 0}, {5, 0}, {5, 5}, {9, 9}};
    EXPECT_EQ(dropRetracedSegments(open), open);
}

// An x-y curve drawn reduced and with every point (both in short pieces). Many periods of a
// noisy loop retrace each other as on the VA graph, and a small loop puts several points on
// every pixel. The same pixels are inked: no pixel is background in one image and more than
// half covered in the other; only the shade of the anti-aliased fringe may differ.
TEST(PixelReduction, ReducedCurveInksTheSamePixels) {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 0.004);
    std::vector<double> v(21760);
    std::vector<double> i(v.size());
    for (std::size_t k = 0; k < v.size(); ++k) {
        const double w = 2 * M_PI * static_cast<double>(k) / 256;
        const double size = k < v.size() / 2 ? 1.0 : 0.08;  // second half: a tiny loop
        v[k] = size * 325 * std::sin(w);
        i[k] = size * (1.4 * std::sin(w - 0.6) + 0.4 * std::sin(3 * w)) + noise(rng);
    }
    XYChart chart(700, 600, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(70, 30, 600, 510, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.xAxis().setLinearScale(-400, 400, 100);
    chart.yAxis().setLinearScale(-2, 2, 0.5);
    LineLayer& layer = chart.addLineLayer(i, 0xFF3333);
    layer.setXData(v);
    layer.setLineWidth(2);
    const QImage reduced = chart.render();
    chart.setReduceLines(false);
    const QImage full = chart.render();
    ASSERT_EQ(reduced.size(), full.size());
    int inked = 0;
    int flipped = 0;
    int largest = 0;
    for (int y = 0; y < full.height(); ++y) {
        for (int x = 0; x < full.width(); ++x) {
            const std::uint32_t r = test::rgbAt(reduced, x, y);
            const std::uint32_t f = test::rgbAt(full, x, y);
            const int inkR = test::colorDistance(r, 0xFFFFFF);
            const int inkF = test::colorDistance(f, 0xFFFFFF);
            inked += inkF > 100 ? 1 : 0;
            flipped += (inkF > 160 && inkR < 40) || (inkR > 160 && inkF < 40) ? 1 : 0;
            largest = std::max(largest, test::colorDistance(r, f));
        }
    }
    EXPECT_GT(inked, 5000);
    EXPECT_EQ(flipped, 0);
    EXPECT_LT(largest, 160);
}

}  // namespace
}  // namespace voltaris::charts
