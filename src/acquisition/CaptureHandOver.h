// Hands each capture from the worker to the thread that analyses it, exactly once. The worker
// arms the next capture as soon as it has reported one, so the report copies the shared buffer
// at once (with the calibration and request state it was read with); the consumer takes the
// copies in order, however late its queued reports run. Storage is recycled, so a steady run
// allocates nothing per capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "acquisition/AcqRequest.h"
#include "acquisition/CaptureBuffer.h"
#include "analysis/Measurements.h"
#include "device/MeterDetection.h"

namespace voltaris {

class AcquisitionShared;

// One capture as it was when the worker reported it.
struct HandedCapture {
    CaptureBuffer buffer;
    CalibrationParams calibration;       // in force when it was read
    AcqStatus status = AcqStatus::Idle;  // the request state right after it was read

    // The samples as the analysis takes them, scaled with this capture's gains.
    [[nodiscard]] RawCapture raw(DeviceGeneration generation) const;
};

class CaptureHandOver {
public:
    // Captures that may wait; far more than a window drawing at its slowest falls behind.
    static constexpr std::size_t kDefaultCapacity = 16;

    explicit CaptureHandOver(std::size_t capacity = kDefaultCapacity);
    CaptureHandOver(const CaptureHandOver&) = delete;
    CaptureHandOver& operator=(const CaptureHandOver&) = delete;

    // Worker thread, from WorkerObserver::captureRead: copies the shared capture. When
    // `capacity` captures wait already, the oldest is dropped and logged; false then.
    bool take(const AcquisitionShared& shared);

    // Consumer thread: the oldest capture waiting, or null. Give it back with recycle().
    [[nodiscard]] std::unique_ptr<HandedCapture> next();
    void recycle(std::unique_ptr<HandedCapture> capture);

    [[nodiscard]] std::size_t pending() const;
    // Captures dropped because the consumer fell `capacity` behind.
    [[nodiscard]] std::uint64_t dropped() const;

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;  // protects the three members below
    std::deque<std::unique_ptr<HandedCapture>> m_waiting;
    std::vector<std::unique_ptr<HandedCapture>> m_free;
    std::uint64_t m_dropped = 0;
};

}  // namespace voltaris
