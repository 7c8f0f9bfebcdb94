// A meter simulator on its pseudo-terminal and the real serial port opened on it, with every
// port call recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "DeviceTestSupport.h"
#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris::test {

struct SimLink {
    explicit SimLink(sim::Config config = {}) : sim(config) {}

    // Starts the simulator and opens its terminal through OpenPort.
    [[nodiscard]] bool open() {
        if (!sim.start()) {
            return false;
        }
        port = OpenPort(sim.portPath());
        if (!port) {
            return false;
        }
        recorder = std::make_unique<RecordingPort>(*port);
        return true;
    }

    [[nodiscard]] RecordingPort& link() { return *recorder; }

    // Reads that returned no byte, and reads in total.
    [[nodiscard]] int emptyReads() const {
        return static_cast<int>(std::count_if(
            recorder->calls().begin(), recorder->calls().end(),
            [](const PortCall& c) { return c.kind == PortCall::Read && c.moved == 0; }));
    }
    [[nodiscard]] int writes() const {
        return static_cast<int>(
            std::count_if(recorder->calls().begin(), recorder->calls().end(),
                          [](const PortCall& c) { return c.kind == PortCall::Write; }));
    }

    sim::MeterSimulator sim;
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<RecordingPort> recorder;
};

}  // namespace voltaris::test
