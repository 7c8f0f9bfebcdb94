// Demonstration captures on the meter's timing.
#include "acquisition/DemoCaptureSource.h"

#include <algorithm>

#include "acquisition/AcquisitionShared.h"

namespace voltaris {

namespace {

int clampedPeriods(const AcqRequest& request) {
    return std::clamp<int>(request.periodCount, kMinPeriodCount, kMaxPeriodCount);
}

std::chrono::milliseconds captureTime(const AcqRequest& request) {
    return std::chrono::milliseconds(clampedPeriods(request) *
                                     DemoSignalGenerator::kCaptureMsPerPeriod);
}

}  // namespace

bool DemoCaptureSource::arm(const AcqRequest& request) {
    m_readyAt = Clock::now() + captureTime(request);
    return true;
}

CapturePoll DemoCaptureSource::poll(const AcqRequest& request) {
    if (!m_readyAt) {
        m_readyAt = Clock::now() + captureTime(request);  // running without an arming of ours
    }
    return Clock::now() >= *m_readyAt ? CapturePoll::Complete : CapturePoll::Waiting;
}

bool DemoCaptureSource::transfer(const AcqRequest& request, AcquisitionShared& shared) {
    m_readyAt.reset();
    shared.withCapture([&](CaptureBuffer& buffer) {
        buffer.blockCount =
            m_generator.generate(clampedPeriods(request), buffer.voltage, buffer.current);
        buffer.mainsPeriodTicks = DemoSignalGenerator::kMainsPeriodTicks;
    });
    return true;
}

bool DemoCaptureSource::storeCalibration(const CalibrationParams& calibration, bool factory) {
    (void)calibration;
    (void)factory;
    return true;
}

}  // namespace voltaris
