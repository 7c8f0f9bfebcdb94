// The acquisition worker's iteration, step by step.
#include "acquisition/WorkerLoop.h"

#include <algorithm>
#include <span>
#include <string>

#include "acquisition/WorkerMessages.h"
#include "device/CalibrationStore.h"
#include "device/MeterCommands.h"
#include "device/MeterProtocol.h"
#include "device/SendCommand.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr auto kPortSettleDelay = std::chrono::milliseconds(100);
constexpr auto kResetRecoveryDelay = std::chrono::milliseconds(1000);
constexpr auto kAfterErrorMessageDelay = std::chrono::milliseconds(100);
constexpr std::size_t kDrainLength = 200;
constexpr std::size_t kShortReplyCapacity = 64;

int clampedPeriods(const AcqRequest& copy) {
    return std::clamp<int>(copy.periodCount, kMinPeriodCount, kMaxPeriodCount);
}

TriggerSetup triggerOf(const AcqRequest& copy) {
    TriggerSetup t;
    t.preTrigger = copy.preTrigger;
    t.urmsLow = copy.urmsLow;
    t.irmsLow = copy.irmsLow;
    t.prmsLow = copy.prmsLow;
    t.urmsHigh = copy.urmsHigh;
    t.irmsHigh = copy.irmsHigh;
    t.prmsHigh = copy.prmsHigh;
    t.upeakMax = copy.upeakMax;
    t.ipeakMax = copy.ipeakMax;
    return t;
}

}  // namespace

WorkerLoop::WorkerLoop(std::shared_ptr<AcquisitionShared> shared,
                       std::shared_ptr<ObserverGate> gate)
    : m_shared(std::move(shared)), m_gate(std::move(gate)), m_reply(kMaxBulkBytes + 1) {}

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
    if (!copy.demoMode && copy.portHandle != m_adopted) {
        adoptPort(copy.portHandle);
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
        communicationErrorPath();
    }
}

int WorkerLoop::portId(const SerialPort* port) {
    if (port == nullptr) {
        return 0;
    }
    const auto known = std::find(m_knownPorts.begin(), m_knownPorts.end(), port);
    if (known != m_knownPorts.end()) {
        return static_cast<int>(known - m_knownPorts.begin()) + 1;
    }
    m_knownPorts.push_back(port);
    return static_cast<int>(m_knownPorts.size());
}

void WorkerLoop::adoptPort(SerialPort* port) {
    m_adopted = port;
    // Reads stop waiting once the program is closing, so that stop() never outlasts its bound
    // on a meter that went quiet in the middle of a long exchange.
    m_link = port != nullptr
                 ? std::make_unique<InterruptiblePort>(
                       *port, [shared = m_shared.get()] { return shared->exitRequested(); })
                 : nullptr;
    m_port = m_link.get();
    LogMessage(kLogModule, LogEvent, "Port serie selectionne, handle %d", portId(port));
    if (m_shared->waitForExit(kPortSettleDelay) || m_port == nullptr) {
        return;
    }
    // Loaded into a copy and published whole, so that readers never see a half-loaded set.
    CalibrationParams loaded = m_shared->calibration();
    const CalibrationLoadResult result = LoadCalibration(*m_port, loaded);
    m_shared->setCalibration(loaded);
    if (result.readFailed) {
        show(kCalibrationReadErrorText, kCalibrationErrorCaption);
    }
    if (result.factoryCheckFailed) {
        show(kFactoryCalibrationMissingText, kCalibrationErrorCaption);
    }
}

void WorkerLoop::arm(const AcqRequest& copy) {
    postPhase(WorkerPhaseArming);
    if (!copy.demoMode) {
        if (m_port == nullptr) {
            m_communicationError = true;
        } else {
            SerialPort& port = *m_port;
            const int blocks = clampedPeriods(copy) + 2;
            // All four are sent whatever the earlier ones gave.
            if (SendAcknowledged(port, kClearCommand) == CommandOutcome::Failed) {
                m_communicationError = true;
            }
            switch (SendAcknowledged(port, BuildLCommand(blocks))) {
                case CommandOutcome::Accepted:
                    m_acknowledgedBlocks = blocks;
                    break;
                case CommandOutcome::Refused:
                    LogMessage(kLogModule, LogError, "Erreur execution commande L, ignoree");
                    break;
                case CommandOutcome::Failed:
                    m_communicationError = true;
                    break;
            }
            const std::string t =
                BuildTCommand(triggerOf(copy), copy.calibration.gainV, copy.calibration.gainI);
            switch (SendAcknowledged(port, t)) {
                case CommandOutcome::Accepted:
                    break;
                case CommandOutcome::Refused:
                    LogMessage(kLogModule, LogError, "Erreur execution commande T, ignoree");
                    break;
                case CommandOutcome::Failed:
                    m_communicationError = true;
                    break;
            }
            switch (SendAcknowledged(port, kStartCommand)) {
                case CommandOutcome::Accepted:
                    break;
                case CommandOutcome::Refused:
                    LogMessage(kLogModule, LogError, "Erreur execution commande S");
                    m_communicationError = true;
                    break;
                case CommandOutcome::Failed:
                    m_communicationError = true;
                    break;
            }
        }
    }
    const AcqStatus armed =
        copy.state == AcqStatus::RunRequested ? AcqStatus::Running : AcqStatus::SingleRunning;
    m_shared->compareAndSetState(copy.state, armed);
}

void WorkerLoop::capture(const AcqRequest& copy) {
    bool transferred = true;
    if (copy.demoMode) {
        postPhase(WorkerPhaseWaiting);
        const auto captureTime = std::chrono::milliseconds(
            clampedPeriods(copy) * DemoSignalGenerator::kCaptureMsPerPeriod);
        if (m_shared->waitForExit(captureTime)) {
            return;
        }
        postPhase(WorkerPhaseTransferring);
        m_shared->withCapture([&](CaptureBuffer& buffer) {
            buffer.blockCount =
                m_demo.generate(clampedPeriods(copy), buffer.voltage, buffer.current);
            buffer.mainsPeriodTicks = DemoSignalGenerator::kMainsPeriodTicks;
        });
    } else if (!awaitMeterCapture(copy, transferred)) {
        return;
    }

    if (copy.state == AcqStatus::Running) {
        m_shared->compareAndSetState(AcqStatus::Running, AcqStatus::RunRequested);
    } else {
        m_shared->compareAndSetState(AcqStatus::SingleRunning, AcqStatus::Idle);
    }
    m_gate->call([transferred](WorkerObserver& o) { o.captureRead(transferred); });
}

bool WorkerLoop::awaitMeterCapture(const AcqRequest& copy, bool& transferred) {
    if (m_port == nullptr) {
        m_communicationError = true;
        return false;
    }
    const StatusQuery query = QueryStatus(*m_port);
    if (!query.answered) {
        m_communicationError = true;
        return false;
    }
    if (!query.status) {
        return false;  // not the status length: not ready yet, poll again
    }
    if (query.status->state == kStateArmed) {
        postPhase(WorkerPhaseWaiting);
    }
    if (query.status->state != kStateComplete) {
        return false;
    }
    postPhase(WorkerPhaseTransferring);
    transferFromMeter(copy, query.status->hardwareVersion, transferred);
    return true;
}

void WorkerLoop::transferFromMeter(const AcqRequest& copy, int hardwareVersion, bool& transferred) {
    m_shared->withCapture([hardwareVersion](CaptureBuffer& buffer) {
        buffer.hardwareVersion = static_cast<std::uint16_t>(hardwareVersion);
    });
    // Before the meter acknowledged any L, it captures this run's block count as far as we know.
    const int blocks =
        std::clamp(m_acknowledgedBlocks.value_or(clampedPeriods(copy) + 2), 1, kMaxBlocks);
    const std::size_t bytes = static_cast<std::size_t>(blocks) * kBlockBytes;
    std::size_t length = 0;
    if (!SendCommand(*m_port, kBulkCommand, m_reply.data(), m_reply.size(), bytes, length,
                     kEmptyReadsBulk)) {
        m_communicationError = true;
        transferred = false;
        return;
    }
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(m_reply.data()),
                                            std::min(length, bytes));
    m_shared->withCapture([&](CaptureBuffer& buffer) {
        UnpackSamples(raw, buffer.voltage, buffer.current);
        buffer.blockCount = blocks;
    });

    char reply[kShortReplyCapacity];
    if (!SendCommand(*m_port, kPeriodCommand, reply, sizeof reply, 0, length, kEmptyReadsCommand)) {
        m_communicationError = true;
        transferred = false;
        return;
    }
    const std::uint16_t ticks = ParseMainsPeriod(reply, length);
    m_shared->withCapture([ticks](CaptureBuffer& buffer) { buffer.mainsPeriodTicks = ticks; });
}

void WorkerLoop::storeCalibration(const AcqRequest& copy, bool factory) {
    bool stored = true;
    if (!copy.demoMode) {
        stored = m_port != nullptr && (factory ? StoreFactoryCalibration(*m_port, copy.calibration)
                                               : StoreCalibration(*m_port, copy.calibration));
    }
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
    if (m_port != nullptr) {
        std::size_t length = 0;
        (void)SendCommand(*m_port, kResetCommand, m_reply.data(), m_reply.size(), 0, length,
                          kEmptyReadsReset);
    }
    // When the program is closing, the reset is all that matters: skip the drain and message.
    if (!m_shared->waitForExit(kResetRecoveryDelay)) {
        if (m_port != nullptr) {
            std::size_t length = 0;
            (void)SendCommand(*m_port, "", m_reply.data(), m_reply.size(), kDrainLength, length,
                              kEmptyReadsCommand);
        }
        show(kCommunicationErrorText, "");
        (void)m_shared->waitForExit(kAfterErrorMessageDelay);
    }
    m_shared->setState(AcqStatus::Idle);
    m_communicationError = false;
}

void WorkerLoop::postPhase(int phase) {
    m_shared->setWorkerPhase(phase);
    m_gate->call([phase](WorkerObserver& o) { o.phaseChanged(phase); });
}

void WorkerLoop::show(const char* text, const char* caption) {
    m_gate->call([text, caption](WorkerObserver& o) { o.showMessage(text, caption); });
}

}  // namespace voltaris
