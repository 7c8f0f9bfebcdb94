// voltaris-cli analyze on any file: the raw capture file read back, analysed with the command's
// default scaling, the harmonic verdict of every class and mode, the JSON and the text line.
#include <QJsonDocument>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "acquisition/RawCaptureFile.h"
#include "analysis/HarmonicLimits.h"
#include "analysis/HarmonicsCoupling.h"
#include "analysis/Measurements.h"
#include "cli/FileScalingOptions.h"
#include "cli/MeasurementJson.h"
#include "cli/TextSummary.h"

using namespace voltaris;

namespace {

std::string capturePath() {
    char path[] = "/tmp/fuzz_analyze_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        std::abort();
    }
    close(fd);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = capturePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    std::string error;
    const std::optional<RawCaptureFile> capture = ReadRawCaptureFile(path, error);
    const bool wholeCapture = size % kBlockBytes == 0 && size / kBlockBytes >= kMinCaptureBlocks &&
                              size / kBlockBytes <= kMaxCaptureBlocks;
    if (capture.has_value() != wholeCapture || (!capture && error.empty())) {
        std::abort();  // read exactly when it is a capture, and a reason when not
    }
    if (!capture) {
        return 0;
    }
    const cli::FileScaling k;
    const RawCapture raw{capture->voltage, capture->current, capture->blockCount, k.gainV,
                         k.gainI,          k.ticks,          k.generation};
    AnalysisOptions options;
    options.status = AcquisitionStatus::SingleRunning;
    // One set for every input, as the replay source keeps one from file to file: each input
    // meets what the previous ones left.
    static const auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;
    if (!DoCalculations(raw, options, *m, stats)) {
        std::abort();  // any whole capture is analysed
    }
    for (const int limitClass : {0, 1, 4}) {
        for (int mode = 0; mode < kDisplayModeCount; ++mode) {
            const HarmonicArray* shown = harmonicDisplayValues(*m, mode);
            const LimitCheck check = checkHarmonicLimits(limitClass, mode, *shown, m->Prms, m->PF);
            (void)cli::limitCheckJson(check, QLatin1String(LimitClassName(limitClass)), mode);
            (void)cli::captureSummary(*m, check, limitClass);
        }
    }
    const QByteArray json = QJsonDocument(cli::measurementJson(*m)).toJson();
    if (json.isEmpty()) {
        std::abort();
    }
    return 0;
}
