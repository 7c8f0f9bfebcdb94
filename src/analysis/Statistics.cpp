// Running min, max, average and population standard deviation per quantity.
#include "analysis/Statistics.h"

#include <cmath>

namespace voltaris {

void StatAccumulator::add(double x) {
    sum += x;
    sumSquares += x * x;
    if (count == 0) {
        min = x;
        max = x;
    } else {
        if (x > max) {
            max = x;
        }
        if (x < min) {
            min = x;
        }
    }
    ++count;
    avg = sum / count;
    // Population variance from the running sums; rounding can make it slightly negative.
    const double variance = (sumSquares - std::pow(avg, 2) * count) / count;
    sdev = variance > 0 ? std::sqrt(variance) : 0;
}

bool StatisticsGrid::add(std::size_t group, std::size_t index, double value) {
    if (group >= kStatGroups || index >= kStatIndices) {
        return false;
    }
    m_records[group][index].add(value);
    return true;
}

void StatisticsGrid::StatisticsReset() {
    m_records = {};
}

const StatAccumulator& StatisticsGrid::record(std::size_t group, std::size_t index) const {
    static const StatAccumulator kEmpty{};
    if (group >= kStatGroups || index >= kStatIndices) {
        return kEmpty;
    }
    return m_records[group][index];
}

}  // namespace voltaris
