// A pseudo-terminal pair whose slave side stands in for the meter's serial port. The simulator
// keeps a slave descriptor of its own open, so the master never sees a hang-up when the
// program closes and reopens the port.
#pragma once

#include <string>

namespace voltaris::sim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair, puts the slave in raw mode and the master in non-blocking mode.
    [[nodiscard]] bool open();
    void close();

    [[nodiscard]] bool isOpen() const { return m_master >= 0; }
    [[nodiscard]] int masterFd() const { return m_master; }
    [[nodiscard]] const std::string& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace voltaris::sim
