// The report's template engine: any template bytes and any title. The placeholder values are
// those of one analysed demonstration-like capture, so every placeholder has a real value.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/Measurements.h"
#include "files/ReportTemplate.h"

using namespace voltaris;

namespace {

// A 230 V / 5 A sine with some third harmonic, 10 periods.
const Placeholders& baseValues(const std::string& title) {
    static auto m = std::make_unique<MeasurementSet>();
    static StatisticsGrid stats;
    static bool analysed = [] {
        constexpr std::uint32_t blocks = 12;
        std::vector<std::int16_t> v(blocks * 256), i(blocks * 256);
        for (std::size_t k = 0; k < v.size(); ++k) {
            const double a = 2 * M_PI * static_cast<double>(k) / 256;
            v[k] = static_cast<std::int16_t>(20000 * std::sin(a));
            i[k] = static_cast<std::int16_t>(9000 * std::sin(a - 0.3) + 2000 * std::sin(3 * a));
        }
        AnalysisOptions options;
        options.status = AcquisitionStatus::SingleRunning;
        return DoCalculations({v, i, blocks, 0.0163f, 0.00078f, 20000, 1}, options, *m, stats);
    }();
    if (!analysed) {
        std::abort();
    }
    static Placeholders values;
    ReportFacts facts;
    facts.title = title;
    facts.dateText = ReportDateText(ClockReading{});
    facts.hardwareVersion = 0x12;
    facts.serialNumber = 4711;
    facts.lastCalibrationDate = 24122025;
    values = ReportPlaceholders(facts, *m, stats);
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string title = in.ConsumeRandomLengthString(256);
    const std::string templateBytes = in.ConsumeRemainingBytesAsString();
    const Placeholders& values = baseValues(title);
    const std::string report = ExpandTemplate(templateBytes, values);
    // The title is written escaped: no markup of the user's reaches the report.
    const std::string escaped = EscapeHtml(title);
    if (escaped.find_first_of("<>\"") != std::string::npos) {
        std::abort();
    }
    if (report.size() < 2 || report.compare(report.size() - 2, 2, "\r\n") != 0) {
        std::abort();
    }
    return 0;
}
