// CSV export of the analysed samples.
#include "files/CsvExport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace voltaris {

std::string CsvSampleLine(std::size_t index, double voltage, double current) {
    return FormatC("%5d, %3.3f, %2.5f\r\n", static_cast<int>(index), voltage, current);
}

std::string CsvExportText(const MeasurementSet& m, const ClockReading& now) {
    const std::size_t samples =
        std::min<std::size_t>(std::size_t{m.PeriodsAnalysed} * kSamplesPerPeriod, m.Voltage.size());
    std::string text;
    text.reserve(160 + samples * 28);
    text += "Voltaris - KORVEX - Exported raw data file\r\n\r\n";
    text += FormatC("Current : %2.2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d,%3.3d\r\n\r\n", now.day,
                    now.month, now.year % 100, now.hour, now.minute, now.second, now.millisecond);
    text += "Sample #,Voltage (V),Current(A)\r\n";
    for (std::size_t k = 0; k < samples; ++k) {
        text += CsvSampleLine(k, m.Voltage[k], m.Current[k]);
    }
    text += "End of dump\r\n";
    return text;
}

FileOutcome WriteCsvExport(const std::string& path, const MeasurementSet& m,
                           std::optional<ClockReading> now) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return SystemFailure(errno);
    }
    const std::string text = CsvExportText(m, now.value_or(ReadLocalClock()));
    const bool written =
        std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        return SystemFailure(written ? errno : writeError);
    }
    return {};
}

}  // namespace voltaris
