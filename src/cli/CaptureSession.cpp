// The worker of the capture and compliance commands.
#include "cli/CaptureSession.h"

#include <cstdio>

namespace voltaris::cli {

CaptureSession::CaptureSession(CaptureOrigin& origin, const OriginRequest& request,
                               StopSignals& stopSignals,
                               const std::function<void(AcquisitionShared&)>& configure)
    : m_origin(origin) {
    const bool replay = !request.replayFiles.isEmpty();
    if (!replay) {
        // As the window does before its worker starts: the port is not shared yet.
        origin.generation = SelectMeter(origin.meter ? &*origin.meter : nullptr);
    }
    m_shared->setPort(origin.meter ? origin.meter->port.get() : nullptr);
    configure(*m_shared);
    if (replay) {
        UseReplayScaling(*m_shared, request.scaling);
    }
    m_shared->setState(AcqStatus::Idle);
    m_worker = std::make_unique<AcquisitionWorker>(m_shared, m_observer, std::move(origin.source));
    // SIGINT, SIGTERM: the capture in progress is abandoned and the command's loop ends.
    m_stopHandler = std::make_unique<StopHandler>(stopSignals, [this] {
        m_shared->setState(AcqStatus::Idle);
        m_observer.requestStop();
    });
}

CaptureSession::~CaptureSession() {
    finish();
}

bool CaptureSession::start(const char* command) {
    if (!m_worker->start()) {
        std::fprintf(stderr, "%s: the acquisition worker could not be started\n", command);
        return false;
    }
    // Arm only once the worker has adopted the port and loaded its calibration, so that the
    // trigger thresholds are sent with the meter's own gains.
    m_observer.waitForIdle();
    return true;
}

void CaptureSession::finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_shared->setState(AcqStatus::Idle);
    if (!m_worker->stop() && m_origin.meter) {
        // The worker still uses the port: keep it open until the process ends.
        (void)m_origin.meter->port.release();
    }
}

}  // namespace voltaris::cli
