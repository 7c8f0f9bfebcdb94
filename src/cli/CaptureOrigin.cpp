// The capture sources of the commands.
#include "cli/CaptureOrigin.h"

#include <cstdio>
#include <string>
#include <vector>

#include "acquisition/DemoCaptureSource.h"
#include "acquisition/MeterCaptureSource.h"
#include "acquisition/ReplayCaptureSource.h"
#include "cli/MeterLookup.h"

namespace voltaris::cli {

namespace {

CaptureOrigin replayOrigin(const char* command, const OriginRequest& r) {
    CaptureOrigin origin;
    std::vector<std::string> paths;
    for (const QString& file : r.replayFiles) {
        paths.push_back(file.toStdString());
    }
    std::string error;
    origin.source = ReplayCaptureSource::open(paths, error, {.mainsPeriodTicks = r.scaling.ticks});
    if (!origin.source) {
        std::fprintf(stderr, "%s: %s\n", command, error.c_str());
    }
    origin.generation = r.scaling.generation;
    return origin;
}

CaptureOrigin meterOrigin(const char* command, const OriginRequest& r) {
    CaptureOrigin origin;
    if (r.demo) {
        origin.source = std::make_unique<DemoCaptureSource>();
        return origin;
    }
    if (!r.port.isEmpty()) {
        const std::string path = r.port.toStdString();
        DetectionResult result = lookUpMeterOn(path);
        if (result.meters.empty()) {
            std::fprintf(stderr, "%s: %s\n", command, lookUpFailureText(result, path).c_str());
            return origin;
        }
        origin.meter = std::move(result.meters.front());
    } else {
        DetectionResult result = lookUpMeters({}, r.devRoot, r.sysRoot);
        if (result.meters.empty()) {
            origin.source = std::make_unique<DemoCaptureSource>();
            return origin;
        }
        // The other meters' ports close here; the first one is the default selection.
        origin.meter = std::move(result.meters.front());
    }
    origin.source = std::make_unique<MeterCaptureSource>();
    return origin;
}

}  // namespace

CaptureOrigin OpenCaptureOrigin(const char* command, const OriginRequest& request) {
    return request.replayFiles.isEmpty() ? meterOrigin(command, request)
                                         : replayOrigin(command, request);
}

void UseReplayScaling(AcquisitionShared& shared, const FileScaling& scaling) {
    CalibrationParams calibration;
    calibration.gainV = scaling.gainV;
    calibration.gainI = scaling.gainI;
    shared.setCalibration(calibration);
}

}  // namespace voltaris::cli
