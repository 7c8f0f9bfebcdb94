// Shared inputs of the files tests: an analysed synthetic capture with statistics, a fixed clock
// reading, and the program's own template and logo.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "analysis/Measurements.h"
#include "files/TextFormat.h"
#include "support/SyntheticCapture.h"

namespace voltaris::test {

// 7 December 2026 at 14:05:09.042.
inline const ClockReading kSeventhOfDecember{
    .day = 7, .month = 12, .year = 2026, .hour = 14, .minute = 5, .second = 9, .millisecond = 42};

// A measurement of `blocks` blocks of a 325 V, 1.7 A load with a third harmonic, analysed
// `captures` times into `statistics` as continuous captures.
struct AnalysedLoad {
    explicit AnalysedLoad(std::uint32_t blocks, int captures = 1) {
        const SyntheticCapture c = makeCapture(blocks, sine(325), sine(1.7, -30) + sine(0.6, 0, 3));
        for (int k = 0; k < captures; ++k) {
            AnalysisOptions options;
            options.status = AcquisitionStatus::RunRequested;
            EXPECT_TRUE(DoCalculations(c.raw, options, *m, statistics));
        }
    }
    std::unique_ptr<MeasurementSet> m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
};

inline std::filesystem::path ShippedResource(const char* name) {
    return std::filesystem::path(VOLTARIS_RESOURCES_DIR) / name;
}

}  // namespace voltaris::test
