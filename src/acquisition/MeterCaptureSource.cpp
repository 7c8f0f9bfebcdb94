// The meter as a capture source, exchange by exchange.
#include "acquisition/MeterCaptureSource.h"

#include <algorithm>
#include <span>

#include "acquisition/AcquisitionShared.h"
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
constexpr std::size_t kDrainLength = 200;
// Two empty reads of the drain length: a line that still carries bytes is emptied, a silent
// one costs half a second rather than the full command budget.
constexpr int kEmptyReadsDrain = 2;
// After a communication error the meter is most likely not listening: the reset gets the
// command budget, not the long one of the EEPROM and reset exchanges.
constexpr int kEmptyReadsResetAfterError = kEmptyReadsCommand;
constexpr std::size_t kShortReplyCapacity = 64;
// Status replies in a row that are neither armed nor complete (a meter answering another
// state letter) before the poll counts as a communication error.
constexpr int kMaxUnusableStatuses = 10;

int clampedPeriods(const AcqRequest& request) {
    return std::clamp<int>(request.periodCount, kMinPeriodCount, kMaxPeriodCount);
}

TriggerSetup triggerOf(const AcqRequest& request) {
    const TriggerThresholds& t = request.trigger;
    return TriggerSetup{request.preTrigger, t.urmsLow,  t.irmsLow,  t.prmsLow, t.urmsHigh,
                        t.irmsHigh,         t.prmsHigh, t.upeakMax, t.ipeakMax};
}

}  // namespace

MeterCaptureSource::MeterCaptureSource() : m_reply(kMaxBulkBytes + 1) {}

int MeterCaptureSource::portNumber(const SerialPort* port) {
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

void MeterCaptureSource::follow(const AcqRequest& request, SourceHost& host) {
    if (request.portHandle != m_adopted) {
        adopt(request.portHandle, host);
    }
}

void MeterCaptureSource::adopt(SerialPort* port, SourceHost& host) {
    AcquisitionShared& shared = host.shared();
    m_adopted = port;
    // Reads stop waiting once the program is closing, so that stopping the worker never
    // outlasts its bound on a meter that went quiet in the middle of a long exchange.
    m_link = port != nullptr ? std::make_unique<InterruptiblePort>(
                                   *port, [&shared] { return shared.exitRequested(); })
                             : nullptr;
    LogMessage(kLogModule, LogEvent, "Port serie selectionne, handle %d", portNumber(port));
    if (shared.waitForExit(kPortSettleDelay) || !m_link) {
        return;
    }
    // Loaded into a copy and published whole, so that readers never see a half-loaded set.
    CalibrationParams loaded = shared.calibration();
    const CalibrationLoadResult result = LoadCalibration(*m_link, loaded);
    shared.setCalibration(loaded);
    if (result.readFailed) {
        host.show(kCalibrationReadErrorText, kCalibrationErrorCaption);
    }
    if (result.factoryCheckFailed) {
        host.show(kFactoryCalibrationMissingText, kCalibrationErrorCaption);
    }
}

CommandOutcome MeterCaptureSource::sendArming(const std::string& command,
                                              const char* refusedLog, bool refusalFails,
                                              bool& failed) {
    const CommandOutcome outcome = SendAcknowledged(*m_link, command);
    if (outcome == CommandOutcome::Refused) {
        LogMessage(kLogModule, LogError, "%s", refusedLog);
        failed = failed || refusalFails;
    } else if (outcome == CommandOutcome::Failed) {
        failed = true;
    }
    return outcome;
}

bool MeterCaptureSource::arm(const AcqRequest& request) {
    if (!m_link) {
        return false;
    }
    const int blocks = clampedPeriods(request) + 2;
    bool failed = false;
    m_unusableStatuses = 0;
    // A refused L or T is logged and the arming goes on; an unanswered command ends it, so
    // that a meter that fell silent is not sent the rest one after the other. The reply to C is
    // not interpreted: only the exchange counts.
    std::size_t length = 0;
    char reply[kShortReplyCapacity];
    if (!SendCommand(*m_link, kClearCommand, reply, sizeof reply, 0, length, kEmptyReadsCommand)) {
        return false;
    }
    const CommandOutcome l =
        sendArming(BuildLCommand(blocks), "Erreur execution commande L, ignoree", false, failed);
    if (l == CommandOutcome::Failed) {
        return false;
    }
    if (l == CommandOutcome::Accepted) {
        m_acknowledgedBlocks = blocks;
    }
    const std::string t =
        BuildTCommand(triggerOf(request), request.calibration.gainV, request.calibration.gainI);
    if (sendArming(t, "Erreur execution commande T, ignoree", false, failed) ==
        CommandOutcome::Failed) {
        return false;
    }
    (void)sendArming(kStartCommand, "Erreur execution commande S", true, failed);
    return !failed;
}

CapturePoll MeterCaptureSource::poll(const AcqRequest& request) {
    (void)request;
    if (!m_link) {
        return CapturePoll::Failed;
    }
    const StatusQuery query = QueryStatus(*m_link);
    if (!query.answered) {
        return CapturePoll::Failed;
    }
    const char state = query.status ? query.status->state : 0;
    if (state != kStateArmed && state != kStateComplete) {
        // Neither armed nor complete: poll again, but not forever.
        if (++m_unusableStatuses >= kMaxUnusableStatuses) {
            LogMessage(kLogModule, LogError, "Error status, %d unusable replies in a row",
                       m_unusableStatuses);
            m_unusableStatuses = 0;
            return CapturePoll::Failed;
        }
        return CapturePoll::NotReady;
    }
    m_unusableStatuses = 0;
    m_hardwareVersion = query.status->hardwareVersion;
    return state == kStateArmed ? CapturePoll::Waiting : CapturePoll::Complete;
}

bool MeterCaptureSource::transfer(const AcqRequest& request, AcquisitionShared& shared) {
    if (!m_link) {
        return false;
    }
    shared.withCapture([this](CaptureBuffer& buffer) {
        buffer.hardwareVersion = static_cast<std::uint16_t>(m_hardwareVersion);
    });
    // Before the meter acknowledged any L, it captures this run's block count as far as we know.
    const int blocks =
        std::clamp(m_acknowledgedBlocks.value_or(clampedPeriods(request) + 2), 1, kMaxBlocks);
    const std::size_t bytes = static_cast<std::size_t>(blocks) * kBlockBytes;
    std::size_t length = 0;
    // Stop (the request back to Idle) gives up on a transfer that stalled, as closing does; one
    // that flows completes.
    InterruptiblePort transferLink(*m_link, [&shared] {
        return shared.exitRequested() || shared.state() == AcqStatus::Idle;
    });
    if (!SendCommand(transferLink, kBulkCommand, m_reply.data(), m_reply.size(), bytes, length,
                     kEmptyReadsBulk)) {
        return false;
    }
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(m_reply.data()),
                                            std::min(length, bytes));
    shared.withCapture([&](CaptureBuffer& buffer) {
        UnpackSamples(raw, buffer.voltage, buffer.current);
        buffer.blockCount = blocks;
    });

    std::uint16_t ticks = 0;
    if (!ReadMainsPeriod(*m_link, ticks)) {
        return false;
    }
    shared.withCapture([ticks](CaptureBuffer& buffer) { buffer.mainsPeriodTicks = ticks; });
    return true;
}

bool MeterCaptureSource::storeCalibration(const CalibrationParams& calibration, bool factory) {
    return m_link && (factory ? StoreFactoryCalibration(*m_link, calibration)
                              : StoreCalibration(*m_link, calibration));
}

void MeterCaptureSource::reset() {
    if (m_link && !m_link->linkLost()) {
        std::size_t length = 0;
        (void)SendCommand(*m_link, kResetCommand, m_reply.data(), m_reply.size(), 0, length,
                          kEmptyReadsResetAfterError);
    }
}

void MeterCaptureSource::drain() {
    if (m_link && !m_link->linkLost()) {
        std::size_t length = 0;
        (void)SendCommand(*m_link, "", m_reply.data(), m_reply.size(), kDrainLength, length,
                          kEmptyReadsDrain);
    }
}

bool MeterCaptureSource::linkLost() const {
    return m_link && m_link->linkLost();
}

bool MeterCaptureSource::reconnect() {
    if (!m_link || !m_link->reopen()) {
        return false;
    }
    const StatusQuery query = QueryStatus(*m_link);
    return query.answered && query.status.has_value();
}

}  // namespace voltaris
