// The acquisition worker's iteration, step by step.
#include "acquisition/WorkerLoop.h"

#include "acquisition/WorkerMessages.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr auto kResetRecoveryDelay = std::chrono::milliseconds(1000);
constexpr auto kAfterErrorMessageDelay = std::chrono::milliseconds(100);

}  // namespace

WorkerLoop::WorkerLoop(std::shared_ptr<AcquisitionShared> shared,
                       std::shared_ptr<ObserverGate> gate, std::unique_ptr<CaptureSource> source)
    : m_shared(std::move(shared)), m_gate(std::move(gate)), m_source(std::move(source)) {}

void WorkerLoop::run() {
    for (;;) {
        runIteration();
        if (m_shared->waitForExit(kLoopPeriod)) {
            break;
        }
    }
}

void WorkerLoop::runIteration() {
    const AcqRequest copy = m_shared->request();
    if (copy.portLoan != PortLoan::None) {
        // The port is the file service's until it is handed back: no adoption, calibration
        // load, arming, poll or drain, whatever the state asks. A Run pressed meanwhile is
        // taken up by the first iteration after the return.
        if (copy.portLoan == PortLoan::Requested) {
            m_shared->grantPortLoan();
        }
        postPhase(WorkerPhaseStopped);
        return;
    }
    m_source->follow(copy, *this);
    if (m_reconnecting) {
        if (copy.portHandle == m_lostPort) {
            reconnectStep();
            return;
        }
        m_reconnecting = false;  // another port was selected: nothing left to reconnect
    }
    switch (copy.state) {
        case AcqStatus::Idle:
            postPhase(WorkerPhaseStopped);
            break;
        case AcqStatus::RunRequested:
        case AcqStatus::SingleRequested:
            arm(copy);
            break;
        case AcqStatus::Running:
        case AcqStatus::SingleRunning:
            capture(copy);
            break;
        case AcqStatus::StoreCalibration:
            storeCalibration(copy, false);
            break;
        case AcqStatus::StoreFactoryCalibration:
            storeCalibration(copy, true);
            break;
    }
    if (m_communicationError) {
        if (m_source->linkLost()) {
            linkLostPath(copy);
        } else {
            communicationErrorPath();
        }
    }
}

void WorkerLoop::arm(const AcqRequest& copy) {
    postPhase(WorkerPhaseArming);
    if (!m_source->arm(copy)) {
        m_communicationError = true;
    }
    const AcqStatus armed =
        copy.state == AcqStatus::RunRequested ? AcqStatus::Running : AcqStatus::SingleRunning;
    m_shared->compareAndSetState(copy.state, armed);
}

void WorkerLoop::capture(const AcqRequest& copy) {
    switch (m_source->poll(copy)) {
        case CapturePoll::NotReady:
            return;
        case CapturePoll::Waiting:
            postPhase(WorkerPhaseWaiting);
            return;
        case CapturePoll::Failed:
            m_communicationError = true;
            return;
        case CapturePoll::Ended:
            sourceEnded(copy);
            return;
        case CapturePoll::Complete:
            break;
    }
    postPhase(WorkerPhaseTransferring);
    const bool transferred = m_source->transfer(copy, *m_shared);
    // A buffer left half-written by a failed transfer holds no capture.
    const std::uint64_t sequence = transferred ? ++m_sequence : 0;
    m_shared->withCapture([sequence](CaptureBuffer& buffer) { buffer.sequence = sequence; });
    if (!transferred) {
        if (m_shared->state() == AcqStatus::Idle && !m_source->linkLost()) {
            // Stop ended a transfer that had stalled: the user asked for it, no error to show.
            LogMessage(kLogModule, LogInfo, "Transfer stopped");
        } else {
            m_communicationError = true;
        }
    }

    if (copy.state == AcqStatus::Running) {
        m_shared->compareAndSetState(AcqStatus::Running, AcqStatus::RunRequested);
    } else {
        m_shared->compareAndSetState(AcqStatus::SingleRunning, AcqStatus::Idle);
    }
    m_gate->call([transferred](WorkerObserver& o) { o.captureRead(transferred); });
}

void WorkerLoop::sourceEnded(const AcqRequest& copy) {
    LogMessage(kLogModule, LogInfo, "Capture source ended");
    m_shared->compareAndSetState(copy.state, AcqStatus::Idle);
    m_gate->call([](WorkerObserver& o) { o.sourceEnded(); });
}

void WorkerLoop::storeCalibration(const AcqRequest& copy, bool factory) {
    const bool stored = m_source->storeCalibration(copy.calibration, factory);
    if (factory) {
        stored ? show(kFactoryCalibrationUpdatedText, "")
               : show(kFactoryCalibrationStoreErrorText, kStoreErrorCaption);
    } else {
        stored ? show(kCalibrationUpdatedText, "")
               : show(kCalibrationStoreErrorText, kStoreErrorCaption);
    }
    m_shared->setState(AcqStatus::SingleRequested);
}

void WorkerLoop::communicationErrorPath() {
    LogMessage(kLogModule, LogError, "Erreur de communication");
    m_source->reset();
    // When the program is closing, the reset is all that matters: skip the drain and message.
    if (!m_shared->waitForExit(kResetRecoveryDelay)) {
        m_source->drain();
        show(kCommunicationErrorText, "");
        (void)m_shared->waitForExit(kAfterErrorMessageDelay);
    }
    m_shared->setState(AcqStatus::Idle);
    m_communicationError = false;
}

void WorkerLoop::linkLostPath(const AcqRequest& copy) {
    LogMessage(kLogModule, LogError, "Erreur de communication");
    LogMessage(kLogModule, LogError, "Link to the meter lost, reconnecting every %d ms",
               static_cast<int>(kReconnectPeriod.count()));
    m_communicationError = false;
    // A capture in progress is armed again once the meter answers; Stop meanwhile cancels it.
    (void)m_shared->compareAndSetState(AcqStatus::Running, AcqStatus::RunRequested);
    (void)m_shared->compareAndSetState(AcqStatus::SingleRunning, AcqStatus::SingleRequested);
    m_reconnecting = true;
    m_lostPort = copy.portHandle;
    m_reconnectAttempts = 0;
    m_nextReconnect = std::chrono::steady_clock::now() + kReconnectPeriod;
    postPhase(WorkerPhaseStopped);
    m_gate->call([](WorkerObserver& o) { o.linkChanged(true); });
}

void WorkerLoop::reconnectStep() {
    postPhase(WorkerPhaseStopped);
    if (std::chrono::steady_clock::now() < m_nextReconnect) {
        return;
    }
    ++m_reconnectAttempts;
    if (!m_source->reconnect()) {
        m_nextReconnect = std::chrono::steady_clock::now() + kReconnectPeriod;
        return;
    }
    LogMessage(kLogModule, LogEvent, "Link to the meter restored after %d attempts",
               m_reconnectAttempts);
    m_reconnecting = false;
    m_gate->call([](WorkerObserver& o) { o.linkChanged(false); });
}

void WorkerLoop::postPhase(int phase) {
    m_shared->setWorkerPhase(phase);
    m_gate->call([phase](WorkerObserver& o) { o.phaseChanged(phase); });
}

void WorkerLoop::show(const char* text, const char* caption) {
    m_gate->call([text, caption](WorkerObserver& o) { o.showMessage(text, caption); });
}

}  // namespace voltaris
