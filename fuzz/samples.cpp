// The B reply: any sample bytes unpacked, then analysed with any block count (also beyond the
// 3 .. 92 a capture may have), gains, mains period, generation and filter.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "analysis/Measurements.h"
#include "device/MeterProtocol.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint32_t blocks = in.ConsumeIntegralInRange<std::uint32_t>(0, 100);
    const float gainV = in.ConsumeFloatingPoint<float>();
    const float gainI = in.ConsumeFloatingPoint<float>();
    const auto ticks = in.ConsumeIntegral<std::uint16_t>();
    const auto generation = in.ConsumeIntegral<std::uint8_t>();
    const int filterIndex = in.ConsumeIntegralInRange<int>(-1, 3);
    // Short spans as well as whole ones: a transfer that came short.
    const bool shortSpans = in.ConsumeBool();
    const std::vector<std::uint8_t> raw = in.ConsumeRemainingBytes<std::uint8_t>();

    // The bytes are repeated to fill the blocks, so that small inputs make whole captures.
    const std::size_t pairs =
        shortSpans ? raw.size() / kBytesPerSamplePair : std::size_t{blocks} * kSamplesPerBlock;
    std::vector<std::uint8_t> bytes(pairs * kBytesPerSamplePair);
    for (std::size_t k = 0; k < bytes.size() && !raw.empty(); k += raw.size()) {
        const std::size_t count = std::min(raw.size(), bytes.size() - k);
        std::copy_n(raw.begin(), count, bytes.begin() + static_cast<std::ptrdiff_t>(k));
    }
    std::vector<std::int16_t> voltage(pairs), current(pairs);
    if (UnpackSamples(bytes, voltage, current) != pairs) {
        std::abort();
    }
    if (pairs > 0 && UnpackSamples(raw, std::span(voltage).first(pairs / 2), current) > pairs / 2) {
        std::abort();  // never more pairs than the shorter output holds
    }

    const RawCapture capture{voltage, current, blocks, gainV, gainI, ticks, generation};
    AnalysisOptions options;
    const auto filter = captureFilterFromIndex(filterIndex);
    if (filter) {
        options.filter = *filter;
    }
    options.status = AcquisitionStatus::SingleRunning;
    // One set for every input, as the program keeps one from capture to capture: each input
    // meets what the previous ones left. The statistics start again, so that an input's result
    // does not hang on the ones before it.
    static const auto m = std::make_unique<MeasurementSet>();
    static StatisticsGrid stats;
    stats.StatisticsReset();
    const std::uint32_t periodsBefore = m->PeriodsAnalysed;
    const double vrmsBefore = m->Vrms;
    const bool analysed = DoCalculations(capture, options, *m, stats);
    const bool acceptable = blocks >= kMinCaptureBlocks && blocks <= kMaxCaptureBlocks &&
                            pairs >= std::size_t{blocks} * kSamplesPerBlock;
    if (analysed && !acceptable) {
        std::abort();  // a capture of the wrong size is never analysed
    }
    if (!analysed &&
        (m->PeriodsAnalysed != periodsBefore ||
         std::bit_cast<std::uint64_t>(m->Vrms) != std::bit_cast<std::uint64_t>(vrmsBefore) ||
         stats.record(kStatVrms).count != 0)) {
        std::abort();  // a refused capture changes nothing
    }
    return 0;
}
