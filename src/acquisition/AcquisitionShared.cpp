// Locked access to the request block and the capture buffer.
#include "acquisition/AcquisitionShared.h"

namespace voltaris {

AcqRequest AcquisitionShared::request() const {
    std::lock_guard lock(m_requestMutex);
    return m_request;
}

AcqStatus AcquisitionShared::state() const {
    std::lock_guard lock(m_requestMutex);
    return m_request.state;
}

void AcquisitionShared::setState(AcqStatus state) {
    std::lock_guard lock(m_requestMutex);
    m_request.state = state;
}

bool AcquisitionShared::compareAndSetState(AcqStatus expected, AcqStatus desired) {
    std::lock_guard lock(m_requestMutex);
    if (m_request.state != expected) {
        return false;
    }
    m_request.state = desired;
    return true;
}

bool AcquisitionShared::rearm() {
    std::lock_guard lock(m_requestMutex);
    if (m_request.state == AcqStatus::Running) {
        m_request.state = AcqStatus::RunRequested;
        return true;
    }
    if (m_request.state == AcqStatus::SingleRunning) {
        m_request.state = AcqStatus::SingleRequested;
        return true;
    }
    return false;
}

void AcquisitionShared::setPort(SerialPort* port) {
    std::lock_guard lock(m_requestMutex);
    m_request.portHandle = port;
}

bool AcquisitionShared::setPeriodCount(int periodCount) {
    if (periodCount < kMinPeriodCount || periodCount > kMaxPeriodCount) {
        return false;
    }
    std::lock_guard lock(m_requestMutex);
    m_request.periodCount = static_cast<std::uint8_t>(periodCount);
    return true;
}

bool AcquisitionShared::setTrigger(int preTrigger, const TriggerThresholds& thresholds) {
    if (preTrigger < 0 || preTrigger >= kMaxPeriodCount) {
        return false;
    }
    std::lock_guard lock(m_requestMutex);
    m_request.preTrigger = static_cast<std::uint8_t>(preTrigger);
    m_request.trigger = thresholds;
    return true;
}

void AcquisitionShared::setCalibration(const CalibrationParams& calibration) {
    std::lock_guard lock(m_requestMutex);
    m_request.calibration = calibration;
}

bool AcquisitionShared::requestCalibrationStore(const CalibrationParams& calibration,
                                                AcqStatus store) {
    if (store != AcqStatus::StoreCalibration && store != AcqStatus::StoreFactoryCalibration) {
        return false;
    }
    std::lock_guard lock(m_requestMutex);
    if (m_request.state != AcqStatus::Idle) {
        return false;
    }
    m_request.calibration = calibration;
    m_request.state = store;
    return true;
}

CalibrationParams AcquisitionShared::calibration() const {
    std::lock_guard lock(m_requestMutex);
    return m_request.calibration;
}

void AcquisitionShared::setLogPeriod(std::uint16_t logPeriod) {
    std::lock_guard lock(m_requestMutex);
    m_request.calibration.logPeriod = logPeriod;
}

bool AcquisitionShared::requestPortLoan() {
    std::lock_guard lock(m_requestMutex);
    if (m_request.state != AcqStatus::Idle || m_request.portLoan != PortLoan::None) {
        return false;
    }
    m_request.portLoan = PortLoan::Requested;
    return true;
}

void AcquisitionShared::grantPortLoan() {
    {
        std::lock_guard lock(m_requestMutex);
        if (m_request.portLoan != PortLoan::Requested) {
            return;
        }
        m_request.portLoan = PortLoan::Lent;
    }
    m_loanSignal.notify_all();
}

bool AcquisitionShared::waitForPortLoan(std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_requestMutex);
    m_loanSignal.wait_for(lock, bound, [this] {
        return m_request.portLoan == PortLoan::Lent || m_request.exitRequested;
    });
    return m_request.portLoan == PortLoan::Lent && !m_request.exitRequested;
}

void AcquisitionShared::returnPort() {
    std::lock_guard lock(m_requestMutex);
    m_request.portLoan = PortLoan::None;
}

PortLoan AcquisitionShared::portLoan() const {
    std::lock_guard lock(m_requestMutex);
    return m_request.portLoan;
}

void AcquisitionShared::requestExit() {
    {
        std::lock_guard lock(m_requestMutex);
        m_request.exitRequested = true;
    }
    m_exitSignal.notify_all();
    m_loanSignal.notify_all();
}

bool AcquisitionShared::exitRequested() const {
    std::lock_guard lock(m_requestMutex);
    return m_request.exitRequested;
}

bool AcquisitionShared::waitForExit(std::chrono::milliseconds duration) const {
    std::unique_lock lock(m_requestMutex);
    return m_exitSignal.wait_for(lock, duration, [this] { return m_request.exitRequested; });
}

void AcquisitionShared::copyCapture(CaptureBuffer& out) const {
    std::lock_guard lock(m_captureMutex);
    out = m_capture;
}

}  // namespace voltaris
