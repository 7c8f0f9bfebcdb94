// A meter simulator running on its pseudo-terminal for a test, with the real serial port opened
// on it and every call through that port recorded. A simulator that does not start, or a port
// that does not open, is a test failure.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/SerialPort.h"
#include "meter-sim/MeterSimulator.h"
#include "support/PortDoubles.h"

namespace voltaris::test {

// Whether the test opens the simulator's terminal itself, or leaves it free for the window or a
// program to open (a port has one owner at a time).
enum class MeterPort { Opened, Free };

// The simulator's defaults for a meter of `generation` (1 or 2), its status showing
// `generationDigit` when that is set.
[[nodiscard]] sim::Config GenerationConfig(int generation, char generationDigit = 0);

// EEPROM addresses of the W frames `meter` received, in order.
[[nodiscard]] std::vector<int> WrittenEepromAddresses(const sim::MeterSimulator& meter);

class SimulatedMeter {
public:
    // Runs before the simulator starts, for what it takes only then (a frame observer).
    using Setup = std::function<void(sim::MeterSimulator&)>;

    explicit SimulatedMeter(sim::Config config = {}, MeterPort port = MeterPort::Opened,
                            const Setup& beforeStart = {});
    SimulatedMeter(const SimulatedMeter&) = delete;
    SimulatedMeter& operator=(const SimulatedMeter&) = delete;

    // True once the simulator runs and, when asked, its port is open.
    [[nodiscard]] bool ready() const { return m_ready; }
    // The terminal's path, for the window's or a program's --port.
    [[nodiscard]] std::string path() const { return sim.portPath(); }
    // The real port opened on the terminal (nullptr with MeterPort::Free) ...
    [[nodiscard]] SerialPort* port() const { return m_port.get(); }
    // ... and the same port with every call recorded (MeterPort::Opened only).
    [[nodiscard]] RecordingPort& link() { return *m_recorder; }
    // Frames the simulator received since the first `from` ones.
    [[nodiscard]] std::vector<std::string> framesFrom(std::size_t from) const;

    sim::MeterSimulator sim;  // declared first: the port closes before the simulator stops

private:
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<RecordingPort> m_recorder;
    bool m_ready = false;
};

}  // namespace voltaris::test
