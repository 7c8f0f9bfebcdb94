// The meter simulator of a test, and the real serial port opened on it.
#include "support/SimulatedMeter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace voltaris::test {

sim::Config GenerationConfig(int generation, char generationDigit) {
    sim::Config config;
    config.generation = generation;
    config.generationDigit = generationDigit;
    return config;
}

SimulatedMeter::SimulatedMeter(sim::Config config, MeterPort port, const Setup& beforeStart)
    : sim(std::move(config)) {
    if (beforeStart) {
        beforeStart(sim);
    }
    if (!sim.start()) {
        ADD_FAILURE() << "the meter simulator did not start (no pseudo-terminal?)";
        return;
    }
    if (port == MeterPort::Opened) {
        m_port = OpenPort(sim.portPath());
        if (!m_port) {
            ADD_FAILURE() << "cannot open the simulator's terminal " << sim.portPath();
            return;
        }
        m_recorder = std::make_unique<RecordingPort>(*m_port);
    }
    m_ready = true;
}

std::vector<std::string> SimulatedMeter::framesFrom(std::size_t from) const {
    std::vector<std::string> frames = sim.receivedFrames();
    frames.erase(frames.begin(),
                 frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())));
    return frames;
}

std::vector<int> WrittenEepromAddresses(const sim::MeterSimulator& meter) {
    std::vector<int> addresses;
    for (const std::string& frame : meter.receivedFrames()) {
        if (frame.rfind("<W", 0) == 0 && frame.size() >= 4) {
            addresses.push_back(std::stoi(frame.substr(2, 2), nullptr, 16));
        }
    }
    return addresses;
}

}  // namespace voltaris::test
