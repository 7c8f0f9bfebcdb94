// Playing back raw capture files.
#include "acquisition/ReplayCaptureSource.h"

#include <algorithm>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/RawCaptureFile.h"
#include "infra/Log.h"

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
}  // namespace

std::unique_ptr<ReplayCaptureSource> ReplayCaptureSource::open(
    const std::vector<std::string>& paths, std::string& error, Settings settings) {
    if (paths.empty()) {
        error = "no capture file to replay";
        return nullptr;
    }
    for (const std::string& path : paths) {
        if (!CheckRawCaptureFile(path, error)) {
            return nullptr;
        }
    }
    return std::unique_ptr<ReplayCaptureSource>(new ReplayCaptureSource(paths, settings));
}

ReplayCaptureSource::ReplayCaptureSource(std::vector<std::string> paths, Settings settings)
    : m_paths(std::move(paths)), m_settings(settings) {}

bool ReplayCaptureSource::arm(const AcqRequest& request) {
    (void)request;
    return true;
}

CapturePoll ReplayCaptureSource::poll(const AcqRequest& request) {
    (void)request;
    return m_next < m_paths.size() ? CapturePoll::Complete : CapturePoll::Ended;
}

bool ReplayCaptureSource::transfer(const AcqRequest& request, AcquisitionShared& shared) {
    (void)request;
    if (m_next >= m_paths.size()) {
        return false;
    }
    const std::string& path = m_paths[m_next++];
    std::string error;
    const std::optional<RawCaptureFile> file = ReadRawCaptureFile(path, error);
    if (!file) {
        LogMessage(kLogModule, LogError, "Replay: %s", error.c_str());
        return false;
    }
    shared.withCapture([&](CaptureBuffer& buffer) {
        const std::size_t count = std::min(file->voltage.size(), buffer.voltage.size());
        std::copy_n(file->voltage.begin(), count, buffer.voltage.begin());
        std::copy_n(file->current.begin(), count, buffer.current.begin());
        buffer.blockCount = static_cast<std::int32_t>(file->blockCount);
        buffer.mainsPeriodTicks = m_settings.mainsPeriodTicks;
        buffer.hardwareVersion = m_settings.hardwareVersion;
    });
    return true;
}

bool ReplayCaptureSource::storeCalibration(const CalibrationParams& calibration, bool factory) {
    (void)calibration;
    (void)factory;
    return true;
}

}  // namespace voltaris
