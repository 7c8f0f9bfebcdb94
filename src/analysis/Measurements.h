// Turns one capture (raw samples of several mains periods) into the quantities of the load:
// scaling, filtering, harmonics, alignment, totals, per-period series, statistics, energy.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"

namespace voltaris {

// One capture as the meter delivers it: blockCount blocks of 256 samples per channel, of which
// the first blockCount - 2 periods are analysed.
struct RawCapture {
    std::span<const std::int16_t> voltage;  // at least blockCount x 256 samples
    std::span<const std::int16_t> current;
    std::uint32_t blockCount = 0;
    float gainV = 0;  // volts per raw unit
    float gainI = 0;  // amperes per raw unit
    std::uint16_t mainsPeriodTicks = 0;
    std::uint8_t deviceGeneration = 1;  // 1: 1 MHz period clock, otherwise 1.3824 MHz
};

struct AnalysisOptions {
    CaptureFilter filter = CaptureFilter::LowPass2k;
    AcquisitionStatus status = AcquisitionStatus::Idle;
    // Clock reading for the energy point; std::chrono::steady_clock::now() when empty.
    std::optional<SteadyTime> now;
};

// The filter of a selection-list index, empty for an index that names no filter.
[[nodiscard]] std::optional<CaptureFilter> captureFilterFromIndex(int index);

// Mains frequency in Hz from the meter's period count: 0 for 0 ticks.
[[nodiscard]] double mainsFrequency(std::uint16_t mainsPeriodTicks, std::uint8_t deviceGeneration);

// Shift in samples for an alignment phase in degrees: 256 - trunc(phase x 256 / 360) with the
// phase brought into [0, 360), so 1 to 256; 0 gives 256, -90 gives 64.
[[nodiscard]] std::size_t alignmentShift(double phaseDegrees);

// The step that needs the raw samples (the caller may hold the capture lock only for this):
// sets VoltageRaw, CurrentRaw, PeriodsAnalysed and F. Returns false and changes nothing for a
// capture of fewer than 3 or more than 92 blocks, sample spans that are too short, or a gain
// that is not finite.
[[nodiscard]] bool scaleCapture(const RawCapture& raw, MeasurementSet& m);

// Everything after scaling, from the scaled series in m: filter, power, harmonics, alignment,
// totals, per-period series, distortion, statistics and, in continuous acquisition, one energy
// point. Returns false and changes nothing for an unknown filter or when no capture was scaled.
[[nodiscard]] bool analyseCapture(MeasurementSet& m, StatisticsGrid& stats,
                                  const AnalysisOptions& options);

// scaleCapture then analyseCapture; on false nothing has changed.
[[nodiscard]] bool DoCalculations(const RawCapture& raw, const AnalysisOptions& options,
                                  MeasurementSet& m, StatisticsGrid& stats);

}  // namespace voltaris
