// Running statistics of the main quantities over successive captures: one accumulator per
// quantity in a 4 x 4 grid.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace voltaris {

struct StatAccumulator {
    double sum = 0;
    double sumSquares = 0;
    double min = 0;
    double max = 0;
    double sdev = 0;  // population standard deviation
    double avg = 0;
    std::uint32_t count = 0;

    void add(double x);
};

inline constexpr std::size_t kStatGroups = 4;
inline constexpr std::size_t kStatIndices = 4;

// Grid positions (group, index) of the accumulated quantities; (3, 3) is unused.
struct StatCell {
    std::size_t group;
    std::size_t index;
};
inline constexpr StatCell kStatVrms{0, 0}, kStatIrms{0, 1}, kStatPrms{0, 2}, kStatS{0, 3};
inline constexpr StatCell kStatVpeak{1, 0}, kStatIpeak{1, 1}, kStatPpeak{1, 2}, kStatQ{1, 3};
inline constexpr StatCell kStatVcrest{2, 0}, kStatIcrest{2, 1}, kStatPcrest{2, 2}, kStatPF{2, 3};
inline constexpr StatCell kStatTHDV{3, 0}, kStatTHDI{3, 1}, kStatF{3, 2};

class StatisticsGrid {
public:
    // Adds one value to the record at (group, index); false for a position outside the grid.
    bool add(std::size_t group, std::size_t index, double value);
    bool add(StatCell cell, double value) { return add(cell.group, cell.index, value); }

    // Sets every field of all 16 records to 0.
    void StatisticsReset();

    // The record at (group, index); an all-zero record for a position outside the grid.
    [[nodiscard]] const StatAccumulator& record(std::size_t group, std::size_t index) const;
    [[nodiscard]] const StatAccumulator& record(StatCell cell) const {
        return record(cell.group, cell.index);
    }

private:
    std::array<std::array<StatAccumulator, kStatIndices>, kStatGroups> m_records{};
};

}  // namespace voltaris
