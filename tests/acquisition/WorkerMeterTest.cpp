// The acquisition worker against the meter simulator, through the real serial backend: the
// frames of a capture, Stop at each stage, port changes, refused commands, a meter that goes
// silent and the calibration stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "RecordingObserver.h"
#include "WorkerRig.h"
#include "acquisition/WorkerMessages.h"
#include "device/CalibrationParams.h"
#include "device/CalibrationStore.h"
#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using test::ObservedMessage;
using test::SimulatedMeter;
using test::WorkerRig;

Strings eepromReads() {
    Strings frames;
    for (int address = 0; address < kCalibrationBytes; ++address) {
        char frame[8];
        std::snprintf(frame, sizeof frame, "<V%02X>", address);
        frames.emplace_back(frame);
    }
    return frames;
}

Strings eepromWrites(const CalibrationParams& params, int first, int last) {
    CalibrationImage image{};
    EncodeCalibration(params, image);
    Strings frames;
    for (int address = first; address <= last; ++address) {
        char frame[10];
        std::snprintf(frame, sizeof frame, "<W%02X%02X>", address,
                      image[static_cast<std::size_t>(address)]);
        frames.emplace_back(frame);
    }
    return frames;
}

std::size_t countOf(const Strings& frames, const std::string& frame) {
    return static_cast<std::size_t>(std::count(frames.begin(), frames.end(), frame));
}

// Bytes read since the last command was written.
std::size_t BytesReadSinceLastWrite(const std::vector<test::PortCall>& calls) {
    std::size_t bytes = 0;
    for (auto call = calls.rbegin(); call != calls.rend() && call->kind == test::PortCall::Read;
         ++call) {
        bytes += call->moved;
    }
    return bytes;
}

int peakOf(const std::array<std::int16_t, kCaptureSampleCapacity>& samples, std::size_t count) {
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(int{samples[i]}));
    }
    return peak;
}

TEST(WorkerCapture, SingleCaptureSendsTheFramesInOrder) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    TriggerThresholds trigger;
    trigger.urmsHigh = 300;  // 300 / 0.0222550128 = 13480 = 0x34A8
    trigger.ipeakMax = 2;    // 2 / 9.5138399e-05 = 21022 = 0x521E
    ASSERT_TRUE(rig.shared->setTrigger(2, trigger));
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    ASSERT_TRUE(rig.waitForIdlePhase());

    Strings expected = eepromReads();
    const Strings armed{"<C>", "<L0C>", "<T02000000000000000034A80000000000000000521E>", "<S>"};
    expected.insert(expected.end(), armed.begin(), armed.end());
    Strings frames = meter.sim.receivedFrames();
    ASSERT_GT(frames.size(), expected.size() + 3);
    EXPECT_EQ(Strings(frames.begin(), frames.begin() + expected.size()), expected);
    const Strings tail(frames.begin() + expected.size(), frames.end());
    // Polls until the capture is complete, then the samples and the mains period.
    EXPECT_EQ(tail[tail.size() - 2], "<B>");
    EXPECT_EQ(tail.back(), "<F>");
    EXPECT_EQ(countOf(tail, "<?>"), tail.size() - 2);
    EXPECT_EQ(rig.observer.events(), (Strings{"P1", "P2", "P3", "R1", "P0"}));
    EXPECT_TRUE(rig.observer.messages().empty());

    const CaptureBuffer capture = rig.capture();
    EXPECT_EQ(capture.blockCount, 12);
    EXPECT_EQ(capture.mainsPeriodTicks, 20000);
    EXPECT_EQ(capture.hardwareVersion, 0x02);
    // 230 V and 1 A rms in raw units of the default gains: peaks 14616 and 14865.
    EXPECT_NEAR(peakOf(capture.voltage, 12 * 256), 14616, 150);
    EXPECT_NEAR(peakOf(capture.current, 12 * 256), 14865, 150);
    EXPECT_EQ(peakOf(capture.voltage, kCaptureSampleCapacity), peakOf(capture.voltage, 12 * 256));

    EXPECT_EQ(rig.shared->calibration().serialNumber, 1234);  // the simulator's EEPROM
    EXPECT_EQ(rig.shared->calibration().logPeriod, 50);
    EXPECT_EQ(log.messages("EVENT", "Port serie selectionne"),
              Strings{"Port serie selectionne, handle 1"});
    EXPECT_TRUE(log.messages("ERROR").empty());
}

TEST(WorkerStop, StopWhileWaitingForTheTriggerSendsNothingMore) {
    sim::Config config;
    config.triggerAlwaysHolds = false;
    SimulatedMeter meter(config);
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseWaiting));

    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.waitForIdlePhase());
    const std::size_t sent = meter.sim.receivedFrames().size();
    EXPECT_FALSE(meter.sim.waitForFrames(sent + 1, 300ms));
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    EXPECT_TRUE(rig.observer.captures().empty());

    // The next arming starts afresh with C.
    meter.sim.setTriggerHolds(true);
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    const Strings after = meter.framesFrom(sent);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), "<C>");
}

TEST(WorkerStop, TransferUnderWayCompletesAndStateStaysIdle) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    // The user presses Stop just as the transfer starts.
    rig.observer.onPhase([&rig](int phase) {
        if (phase == WorkerPhaseTransferring) {
            rig.shared->setState(AcqStatus::Idle);
        }
    });
    ASSERT_TRUE(rig.start());  // continuous captures

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.captures(), std::vector<bool>{true});
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    ASSERT_TRUE(rig.waitForIdlePhase());
    const Strings frames = meter.sim.receivedFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2], "<B>");
    EXPECT_EQ(frames.back(), "<F>");
    EXPECT_FALSE(meter.sim.waitForFrames(frames.size() + 1, 300ms));  // not armed again
    EXPECT_EQ(rig.capture().blockCount, 12);
    EXPECT_EQ(rig.capture().mainsPeriodTicks, 20000);
}

TEST(WorkerStop, ClosingDuringAStalledTransferEndsTheWorker) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    sim::Faults faults;
    faults.cutBulkAt = 5000;  // the meter stops a fifth of the way through the samples
    meter.sim.setFaults(faults);
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(&meter.link());  // the calls recorded, to see where the transfer stands
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseTransferring));
    // The first 5000 bytes come; then the worker waits on a quiet line, with a budget of 1000
    // reads of about a second each. It is stopped once it has read them all.
    ASSERT_TRUE(meter.link().waitUntil([](const std::vector<test::PortCall>& calls) {
        return BytesReadSinceLastWrite(calls) >= 5000;
    })) << "the worker did not read the first 5000 bytes";
    const std::size_t sent = meter.sim.receivedFrames().size();
    ASSERT_EQ(meter.sim.receivedFrames().back(), "<B>");

    // The worker ends within the bound instead of being left behind to wait out the budget.
    EXPECT_TRUE(rig.worker->stop());
    EXPECT_TRUE(rig.observer.captures().empty());
    EXPECT_TRUE(rig.observer.messages().empty());  // no box while the program closes
    // The failed transfer still takes the error path: the meter gets its reset.
    const Strings frames = meter.sim.receivedFrames();
    EXPECT_EQ(countOf(Strings(frames.begin() + static_cast<long>(sent), frames.end()), "<R>"), 3u);
    EXPECT_EQ(log.messages("ERROR", "Erreur de communication"), Strings{"Erreur de communication"});
}

TEST(WorkerPort, ChangingThePortReloadsTheCalibrationBeforeTheNextCommand) {
    SimulatedMeter first;
    SimulatedMeter second;
    ASSERT_TRUE(first.ready());
    ASSERT_TRUE(second.ready());
    CalibrationParams other;
    other.gainV = 0.03f;
    other.serialNumber = 4321;
    other.factoryCalibrationDate = 1012023;
    CalibrationImage image{};
    EncodeCalibration(other, image);
    for (int address = 0; address < kCalibrationBytes; ++address) {
        second.sim.setEepromByte(static_cast<std::uint8_t>(address),
                                 image[static_cast<std::size_t>(address)]);
    }
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(first.port());
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));
    EXPECT_EQ(first.sim.receivedFrames(), eepromReads());
    EXPECT_EQ(rig.shared->calibration().serialNumber, 1234);

    rig.shared->setPort(second.port());
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    const Strings frames = second.sim.receivedFrames();
    ASSERT_GT(frames.size(), static_cast<std::size_t>(kCalibrationBytes));
    EXPECT_EQ(Strings(frames.begin(), frames.begin() + kCalibrationBytes), eepromReads());
    EXPECT_EQ(frames[kCalibrationBytes], "<C>");
    EXPECT_EQ(first.sim.receivedFrames().size(), static_cast<std::size_t>(kCalibrationBytes));
    EXPECT_EQ(rig.shared->calibration(), other);
    EXPECT_EQ(log.messages("EVENT", "Port serie selectionne"),
              (Strings{"Port serie selectionne, handle 1", "Port serie selectionne, handle 2"}));
}

TEST(WorkerArming, RefusedLKeepsTheAcknowledgedBlockCount) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    ASSERT_EQ(rig.capture().blockCount, 12);

    sim::Faults faults;
    faults.refuseL = true;
    meter.sim.setFaults(faults);
    ASSERT_TRUE(rig.shared->setPeriodCount(20));
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.observer.waitForCaptures(2));

    // The meter still captures 12 blocks, and the B read asks for exactly those.
    EXPECT_EQ(rig.observer.captures(), (std::vector<bool>{true, true}));
    EXPECT_EQ(rig.capture().blockCount, 12);
    EXPECT_EQ(countOf(meter.sim.receivedFrames(), "<L16>"), 1u);
    EXPECT_EQ(log.messages("ERROR"), Strings{"Erreur execution commande L, ignoree"});
    EXPECT_TRUE(rig.observer.messages().empty());
}

TEST(WorkerArming, RefusedTIsLoggedAndTheCaptureGoesOn) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    sim::Faults faults;
    faults.refuseT = true;
    meter.sim.setFaults(faults);
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.captures(), std::vector<bool>{true});
    EXPECT_EQ(log.messages("ERROR"), Strings{"Erreur execution commande T, ignoree"});
    EXPECT_TRUE(rig.observer.messages().empty());
}

TEST(WorkerErrors, MeterGoingSilentWhilePollingGivesOneErrorAndIdle) {
    sim::Config config;
    config.triggerAlwaysHolds = false;
    SimulatedMeter meter(config);
    ASSERT_TRUE(meter.ready());
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseWaiting));

    sim::Faults faults;
    faults.silent = true;
    meter.sim.setFaults(faults);
    // Failed poll, reset, 1 s, drain and their retries take about 25 s of timeouts.
    ASSERT_TRUE(rig.observer.waitForMessages(1, 60s));
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kCommunicationErrorText, ""}}));
    ASSERT_TRUE(rig.waitForIdlePhase());
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);

    // One failed poll and one reset exchange, each with its three attempts to a silent meter;
    // nothing is sent after the reset.
    const Strings frames = meter.sim.receivedFrames();
    ASSERT_GE(frames.size(), 6u);
    EXPECT_EQ(Strings(frames.end() - 6, frames.end()),
              (Strings{"<?>", "<?>", "<?>", "<R>", "<R>", "<R>"}));
    EXPECT_EQ(countOf(frames, "<R>"), 3u);
    EXPECT_EQ(log.messages("ERROR", "Erreur de communication"), Strings{"Erreur de communication"});
    EXPECT_TRUE(rig.observer.captures().empty());
}

TEST(WorkerErrors, RefusedStartIsACommunicationError) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    sim::Faults faults;
    faults.refuseS = true;
    meter.sim.setFaults(faults);
    test::LogCapture log;
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::SingleRequested);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(rig.observer.waitForMessages(1, 30s));
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kCommunicationErrorText, ""}}));
    ASSERT_TRUE(rig.waitForIdlePhase());
    const Strings frames = meter.framesFrom(kCalibrationBytes);
    EXPECT_EQ(frames, (Strings{"<C>", "<L0C>", "<T000000000000000000000000000000000000000000>",
                               "<S>", "<R>"}));
    EXPECT_EQ(log.messages("ERROR", "Erreur "),
              (Strings{"Erreur execution commande S", "Erreur de communication"}));
    EXPECT_TRUE(rig.observer.captures().empty());
}

TEST(WorkerCalibration, StoreWritesTheUserCalibrationThenTakesASingleCapture) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));
    const sim::EepromImage before = meter.sim.eeprom();

    CalibrationParams params = rig.shared->calibration();
    params.gainV = 0.0231f;
    params.gainI = 1.0e-4f;
    params.lastCalibrationDate = 31122025;
    params.serialNumber = 777;  // not part of a user store
    rig.shared->setCalibration(params);
    rig.shared->setState(AcqStatus::StoreCalibration);

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kCalibrationUpdatedText, ""}}));
    EXPECT_EQ(rig.shared->state(), AcqStatus::Idle);
    const Strings frames = meter.framesFrom(kCalibrationBytes);
    const Strings writes = eepromWrites(params, 14, 25);
    ASSERT_GT(frames.size(), writes.size());
    EXPECT_EQ(Strings(frames.begin(), frames.begin() + writes.size()), writes);
    EXPECT_EQ(frames[writes.size()], "<C>");

    const sim::EepromImage after = meter.sim.eeprom();
    CalibrationImage image{};
    EncodeCalibration(params, image);
    for (std::size_t a = 0; a < 256; ++a) {
        const bool written = a >= 14 && a <= 25;
        EXPECT_EQ(after[a], written ? image[a] : before[a]) << "address " << a;
    }
}

TEST(WorkerCalibration, FactoryStoreWritesAddressesZeroToTwentyFive) {
    SimulatedMeter meter;
    ASSERT_TRUE(meter.ready());
    WorkerRig rig;
    rig.shared->setPort(meter.port());
    rig.shared->setState(AcqStatus::Idle);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.observer.waitForPhase(WorkerPhaseStopped));

    CalibrationParams params = rig.shared->calibration();
    params.serialNumber = 777;
    params.factoryGainV = params.gainV = 0.0231f;
    params.factoryCalibrationDate = params.lastCalibrationDate = 1022026;
    params.logPeriod = 3000;  // never written by a store
    rig.shared->setCalibration(params);
    rig.shared->setState(AcqStatus::StoreFactoryCalibration);

    ASSERT_TRUE(rig.observer.waitForCaptures(1));
    EXPECT_EQ(rig.observer.messages(),
              (std::vector<ObservedMessage>{{kFactoryCalibrationUpdatedText, ""}}));
    const Strings frames = meter.framesFrom(kCalibrationBytes);
    const Strings writes = eepromWrites(params, 0, 25);
    ASSERT_GT(frames.size(), writes.size());
    EXPECT_EQ(Strings(frames.begin(), frames.begin() + writes.size()), writes);
    EXPECT_EQ(frames[writes.size()], "<C>");
    EXPECT_EQ(meter.sim.eeprom()[26], 50);  // logging period as it was
}

}  // namespace
}  // namespace voltaris
