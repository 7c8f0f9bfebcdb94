#include "analysis/Statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace voltaris {
namespace {

TEST(StatAccumulator, MinMaxAverageAndPopulationDeviation) {
    StatAccumulator a;
    a.add(-3);
    EXPECT_EQ(a.max, -3.0);  // the first value, not the initial 0
    EXPECT_EQ(a.sdev, 0.0);
    a.add(-1);
    EXPECT_EQ(a.count, 2u);
    EXPECT_EQ(a.min, -3.0);
    EXPECT_EQ(a.max, -1.0);
    EXPECT_EQ(a.avg, -2.0);
    EXPECT_DOUBLE_EQ(a.sdev, 1.0);  // population: not sqrt(2)

    // Equal values: the running variance comes out just below zero at times.
    StatAccumulator same;
    int negativeVariances = 0;
    for (int i = 0; i < 1000; ++i) {
        same.add(230.1);
        if (same.sumSquares - same.avg * same.avg * same.count < 0) {
            ++negativeVariances;
            ASSERT_EQ(same.sdev, 0.0);
        }
    }
    EXPECT_GT(negativeVariances, 0) << "the rounding case was not exercised";
}

TEST(StatisticsGrid, AddressesOneRecordAndResetClearsAll) {
    StatisticsGrid grid;
    EXPECT_TRUE(grid.add(kStatF, 50.0));
    EXPECT_FALSE(grid.add(4, 0, 1.0));
    EXPECT_FALSE(grid.add(0, 4, 1.0));
    EXPECT_EQ(grid.record(3, 2).avg, 50.0);
    EXPECT_EQ(grid.record(3, 3).count, 0u);
    EXPECT_EQ(grid.record(9, 9).count, 0u);

    grid.StatisticsReset();
    const StatAccumulator& r = grid.record(kStatF);
    EXPECT_EQ(r.count, 0u);
    EXPECT_EQ(r.sum + r.sumSquares + r.min + r.max + r.avg + r.sdev, 0.0);
    grid.add(kStatF, 49.9);
    EXPECT_EQ(grid.record(kStatF).min, 49.9);
}

}  // namespace
}  // namespace voltaris
