// The acquisition worker against a scripted port, for meter behaviour the simulator does not
// offer: status replies of the wrong length (a communication error), a capture before any
// accepted L, a refused EEPROM write, a failed EEPROM read, and an exchange that outlasts a stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RecordingObserver.h"
#include "WorkerRig.h"
#include "acquisition/WorkerMessages.h"
#include "device/CalibrationParams.h"
#include "device/CalibrationStore.h"
#include "support/LogCapture.h"
#include "support/PortDoubles.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::ObservedMessage;
using test::ScriptedMeterPort;
using test::StatusReply;
using test::WorkerRig;

// A meter made of rules: valid calibration in its EEPROM, every command acknowledged, captures
// complete at once; tests change the rules they need before the worker starts.
struct ScriptedMeter {
    CalibrationImage eeprom{};
    int failReadAt = -1;     // V of this address gets no reply
    int refuseWriteAt = -1;  // W of this address is refused
    std::string lReply = "<K>";
    std::string sReply = "<K>";
    std::string status = StatusReply('C');
    int bulkBlocks = 12;  // blocks sent in reply to B

    ScriptedMeter() {
        CalibrationParams params;
        params.serialNumber = 42;
        params.factoryCalibrationDate = 15032024;
        EncodeCalibration(params, eeprom);
    }

    // Sample k of the bulk reply: voltage k + 1, current -(k + 1).
    static std::string bulk(int blocks) {
        std::string bytes;
        for (int k = 0; k < blocks * 256; ++k) {
            const auto v = static_cast<std::uint16_t>(k + 1);
            const auto i = static_cast<std::uint16_t>(-(k + 1));
            bytes += {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF),
                      static_cast<char>(i >> 8), static_cast<char>(i & 0xFF)};
        }
        return bytes;
    }

    std::string answer(const std::string& command) const {
        if (command.size() < 3) {
            return {};
        }
        const int field =
            command.size() >= 5
                ? static_cast<int>(std::strtol(command.substr(2, 2).c_str(), nullptr, 16))
                : -1;
        switch (command[1]) {
            case 'V': {
                if (field == failReadAt) {
                    return {};
                }
                char reply[8];
                std::snprintf(reply, sizeof reply, "<%02X>",
                              field < kCalibrationBytes ? eeprom[std::size_t(field)] : 0xFF);
                return reply;
            }
            case 'W':
                return field == refuseWriteAt ? "<N>" : "<K>";
            case 'L':
                return lReply;
            case 'S':
                return sReply;
            case '?':
                return status;
            case 'B':
                return bulk(bulkBlocks);
            case 'F':
                return "<F4E20>";
            default:
                return "<K>";
        }
    }
};

ScriptedMeterPort::Handler handlerOf(const ScriptedMeter& meter) {
    return [meter](const std::string& command) { return meter.answer(command); };
}

// A status of the wrong length is another command's reply as far as the exchange can tell:
// retried, then given up. One of the right length whose state letter means nothing is polled
// again, ten times at most.
TEST(WorkerPolling, StatusesThatTellNoCaptureStateEndInACommunicationError) {
    const struct {
        std::string status;
        std::size_t polls;
    } cases[] = {{StatusReply('C', 22), 3}, {StatusReply('C', 24), 3}, {StatusReply('X'), 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        ScriptedMeter meter;
        meter.status = c.status;
        ScriptedMeterPort port(handlerOf(meter));
        WorkerRig rig;
        rig.shared->setPort(&port);
        rig.shared->setState(AcqStatus::SingleRequested);
        ASSERT_TRUE(rig.start());

        ASSERT_TRUE(rig.observer.waitForMessages(1));
        ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));
        EXPECT_EQ(rig.observer.messages(),
                  (std::vector<ObservedMessage>{{kCommunicationErrorText, ""}}));
        EXPECT_EQ(port.count("<?>"), c.polls);
        EXPECT_EQ(port.count("<B>"), 0u);
        EXPECT_EQ(port.count("<R>"), 1u);
        EXPECT_TRUE(rig.observer.captures().empty());
        EXPECT_EQ(rig.observer.phaseCount(WorkerPhaseTransferring), 0);
        EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    }
}

TEST(WorkerPolling, ArmedLetterIsReportedAndPollingGoesOn) {
    ScriptedMeter meter;
    meter.status = StatusReply('A');
    ScriptedMeterPort port(handlerOf(meter));
    WorkerRig rig;
    rig.shared->setPort(&port);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(port.waitForCommand("<?>", 5));
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.waitForIdlePhase());
    EXPECT_EQ(rig.observer.events(), (Strings{"P1", "P2", "P0"}));
    EXPECT_EQ(port.count("<B>"), 0u);
}

TEST(WorkerTransfer, BeforeAnyAcceptedLTheRunsOwnBlockCountIsRead) {
    ScriptedMeter meter;
    meter.lReply = "<N>";
    meter.bulkBlocks = 7;
    ScriptedMeterPort port(handlerOf(meter));
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(&port);
    ASSERT_TRUE(rig.shared->setPeriodCount(5));
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.captures(), std::vector<bool>{true});
    const CaptureBuffer capture = rig.capture();
    EXPECT_EQ(capture.blockCount, 7);
    EXPECT_EQ(capture.mainsPeriodTicks, 20000);
    EXPECT_EQ(capture.voltage[0], 1);
    EXPECT_EQ(capture.current[0], -1);
    EXPECT_EQ(capture.voltage[7 * 256 - 1], 7 * 256);
    EXPECT_EQ(capture.current[7 * 256 - 1], -7 * 256);
    EXPECT_EQ(capture.voltage[7 * 256], 0);  // nothing unpacked past the blocks read
    EXPECT_EQ(log.messages("ERROR"), Strings{"Erreur execution commande L, ignoree"});
}

TEST(WorkerTransfer, ShortBulkReplyKeepsThePreviousSamplesAndFails) {
    ScriptedMeter meter;
    meter.bulkBlocks = 11;  // one block short of the 12 acknowledged
    ScriptedMeterPort port(handlerOf(meter));
    WorkerRig rig;
    rig.shared->setPort(&port);
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForMessages(1));
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    EXPECT_EQ(rig.observer.captures(), std::vector<bool>{false});
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kCommunicationErrorText, ""}}));
    const CaptureBuffer capture = rig.capture();
    EXPECT_EQ(capture.blockCount, 0);
    EXPECT_EQ(capture.voltage[0], 0);
    EXPECT_EQ(port.count("<F>"), 0u);
    EXPECT_EQ(port.count("<R>"), 1u);
    // The data notification comes before the error path ends in Idle.
    EXPECT_EQ(rig.observer.events(), (Strings{"P1", "P3", "R0", "M", "P0"}));
}

TEST(WorkerCalibration, RefusedWriteStopsTheStoreAndReportsIt) {
    ScriptedMeter meter;
    meter.refuseWriteAt = 16;
    ScriptedMeterPort port(handlerOf(meter));
    WorkerRig rig;
    rig.shared->setPort(&port);
    rig.shared->setState(AcqStatus::StoreCalibration);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kCalibrationStoreErrorText, kStoreErrorCaption}}));
    Strings writes;
    for (const std::string& c : port.commands()) {
        if (c.rfind("<W", 0) == 0) {
            writes.push_back(c.substr(0, 4));
        }
    }
    EXPECT_EQ(writes, (Strings{"<W0E", "<W0F", "<W10"}));
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);  // the single capture that follows is done
}

TEST(WorkerCalibration, RefusedFactoryWriteShowsTheFactoryError) {
    ScriptedMeter meter;
    meter.refuseWriteAt = 3;
    ScriptedMeterPort port(handlerOf(meter));
    WorkerRig rig;
    rig.shared->setPort(&port);
    rig.shared->setState(AcqStatus::StoreFactoryCalibration);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(
        rig.observer.messages(),
        (std::vector<ObservedMessage>{{kFactoryCalibrationStoreErrorText, kStoreErrorCaption}}));
}

TEST(WorkerPort, FailedReadAndMissingFactoryDateShowBothMessages) {
    ScriptedMeter meter;
    meter.eeprom.fill(0xFF);
    meter.failReadAt = 15;
    ScriptedMeterPort port(handlerOf(meter));
    WorkerRig rig;
    CalibrationParams previous;
    previous.serialNumber = 5;
    rig.shared->setCalibration(previous);
    rig.shared->setPort(&port);
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForMessages(2));
    EXPECT_EQ(
        rig.observer.messages(),
        (std::vector<ObservedMessage>{{kCalibrationReadErrorText, kCalibrationErrorCaption},
                                      {kFactoryCalibrationMissingText, kCalibrationErrorCaption}}));
    ASSERT_TRUE(rig.waitForIdlePhase());
    // Reading stopped at address 15, and the defaults were installed.
    EXPECT_EQ(port.count("<V0F>"), 3u);  // three attempts
    EXPECT_EQ(port.count("<V10>"), 0u);
    const CalibrationParams loaded = rig.shared->calibration();
    EXPECT_EQ(loaded.serialNumber, kDefaultSerialNumber);
    EXPECT_EQ(loaded.gainV, kDefaultGainV);
    EXPECT_EQ(loaded.factoryCalibrationDate, kUnknownCalibrationDate);
}

TEST(WorkerStop, ExchangeOutlastingTheStopNeverReachesTheObserver) {
    ScriptedMeter meter;
    // Owned by the heap so that a worker left running by a failed check cannot outlive it.
    auto* port = new ScriptedMeterPort(handlerOf(meter));
    port->holdReads(true);
    WorkerRig rig;
    rig.shared->setPort(port);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(port->waitForCommand("<V00>"));

    EXPECT_FALSE(rig.worker->stop(200ms));  // stuck in the exchange: left to finish
    rig.observer.markStopped();
    port->holdReads(false);

    // The thread finishes its iteration (it still arms the meter), then ends and lets go of
    // the shared blocks.
    ASSERT_TRUE(test::WaitFor("the worker thread lets go of the shared blocks",
                              [&rig] { return rig.shared.use_count() == 2; }));
    EXPECT_EQ(port->count("<S>"), 1u);
    EXPECT_EQ(rig.observer.lateCalls(), 0);
    EXPECT_TRUE(rig.observer.stoppingCalled());
    delete port;
}

}  // namespace
}  // namespace voltaris
