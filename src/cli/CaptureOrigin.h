// Where a command's captures come from: the named meter, the meters found (or the
// demonstration generator when none answers), the demonstration generator asked for, or raw
// capture files played back.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CaptureSource.h"
#include "cli/FileScalingOptions.h"
#include "device/MeterDetection.h"

namespace voltaris::cli {

struct OriginRequest {
    QString port;             // --port: this meter only
    bool demo = false;        // --demo
    QStringList replayFiles;  // files instead of a meter
    FileScaling scaling;      // what replayed files do not say
    QString devRoot;          // where the meters are looked for
    QString sysRoot;
};

// Without a source, the failure was already reported on standard error after `command`.
struct CaptureOrigin {
    std::optional<DetectedMeter> meter;  // its port stays open while the worker runs
    DeviceGeneration generation = kGenerationV1;
    std::unique_ptr<CaptureSource> source;
};

[[nodiscard]] CaptureOrigin OpenCaptureOrigin(const char* command, const OriginRequest& request);

// Replayed files carry no calibration: their gains become the request block's.
void UseReplayScaling(AcquisitionShared& shared, const FileScaling& scaling);

}  // namespace voltaris::cli
