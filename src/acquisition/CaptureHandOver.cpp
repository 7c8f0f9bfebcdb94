// The capture hand-over between the worker and the analysing thread.
#include "acquisition/CaptureHandOver.h"

#include <algorithm>

#include "acquisition/AcquisitionShared.h"
#include "infra/Log.h"

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
}  // namespace

RawCapture HandedCapture::raw(DeviceGeneration generation) const {
    return RawCapture{buffer.voltage,
                      buffer.current,
                      static_cast<std::uint32_t>(std::max(buffer.blockCount, 0)),
                      calibration.gainV,
                      calibration.gainI,
                      buffer.mainsPeriodTicks,
                      generation};
}

CaptureHandOver::CaptureHandOver(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

bool CaptureHandOver::take(const AcquisitionShared& shared) {
    std::unique_ptr<HandedCapture> slot;
    {
        std::lock_guard lock(m_mutex);
        if (!m_free.empty()) {
            slot = std::move(m_free.back());
            m_free.pop_back();
        }
    }
    if (!slot) {
        slot = std::make_unique<HandedCapture>();
    }
    // The two shared blocks one after the other, never both locks at once.
    shared.copyCapture(slot->buffer);
    const AcqRequest request = shared.request();
    slot->calibration = request.calibration;
    slot->status = request.state;

    std::unique_ptr<HandedCapture> dropped;
    {
        std::lock_guard lock(m_mutex);
        if (m_waiting.size() >= m_capacity) {
            dropped = std::move(m_waiting.front());
            m_waiting.pop_front();
            ++m_dropped;
        }
        m_waiting.push_back(std::move(slot));
    }
    if (dropped) {
        LogMessage(kLogModule, LogError, "Capture %llu dropped: %d captures wait already",
                   static_cast<unsigned long long>(dropped->buffer.sequence),
                   static_cast<int>(m_capacity));
        recycle(std::move(dropped));
        return false;
    }
    return true;
}

std::unique_ptr<HandedCapture> CaptureHandOver::next() {
    std::lock_guard lock(m_mutex);
    if (m_waiting.empty()) {
        return nullptr;
    }
    std::unique_ptr<HandedCapture> capture = std::move(m_waiting.front());
    m_waiting.pop_front();
    return capture;
}

void CaptureHandOver::recycle(std::unique_ptr<HandedCapture> capture) {
    if (!capture) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_free.size() < m_capacity) {
        m_free.push_back(std::move(capture));
    }
}

std::size_t CaptureHandOver::pending() const {
    std::lock_guard lock(m_mutex);
    return m_waiting.size();
}

std::uint64_t CaptureHandOver::dropped() const {
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

}  // namespace voltaris
