// The acquisition worker's state machine: each iteration copies the request, adopts a new port
// (reloading the calibration), then arms the meter, polls it, reads a capture, stores the
// calibration or generates demonstration signals, as the request's state says.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/DemoSignalGenerator.h"
#include "acquisition/ObserverGate.h"
#include "device/InterruptiblePort.h"

namespace voltaris {

class WorkerLoop {
public:
    static constexpr std::chrono::milliseconds kLoopPeriod{10};

    WorkerLoop(std::shared_ptr<AcquisitionShared> shared, std::shared_ptr<ObserverGate> gate);
    WorkerLoop(const WorkerLoop&) = delete;
    WorkerLoop& operator=(const WorkerLoop&) = delete;

    // Iterates every 10 ms until the exit is requested; the request is checked at the end of
    // each iteration.
    void run();
    // One iteration: copy, port change, dispatch on the state, communication-error path.
    void runIteration();

private:
    void adoptPort(SerialPort* port);
    void arm(const AcqRequest& copy);
    void capture(const AcqRequest& copy);
    // Meter mode: polls once; true when the capture is complete and has been transferred
    // (`transferred` tells whether B and F succeeded).
    bool awaitMeterCapture(const AcqRequest& copy, bool& transferred);
    void transferFromMeter(const AcqRequest& copy, int hardwareVersion, bool& transferred);
    void storeCalibration(const AcqRequest& copy, bool factory);
    void communicationErrorPath();
    void postPhase(int phase);
    void show(const char* text, const char* caption);
    [[nodiscard]] int portId(const SerialPort* port);

    std::shared_ptr<AcquisitionShared> m_shared;
    std::shared_ptr<ObserverGate> m_gate;

    SerialPort* m_adopted = nullptr;              // port the request named; none at first
    std::unique_ptr<InterruptiblePort> m_link;    // the adopted port, giving up on exit
    SerialPort* m_port = nullptr;                 // what every exchange goes through: m_link
    std::vector<const SerialPort*> m_knownPorts;  // adopted ports, for their number in the log
    bool m_communicationError = false;
    std::optional<int> m_acknowledgedBlocks;  // block count of the last L the meter accepted
    DemoSignalGenerator m_demo;               // never seeded: every run gives the same signals
    std::vector<char> m_reply;                // the largest bulk reply plus its terminating zero
};

}  // namespace voltaris
