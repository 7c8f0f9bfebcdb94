// A plain POSIX client of the simulator's terminal (open, termios, poll, read, write), standing
// in for the application's serial port in the simulator's tests. Every read is bounded.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace voltaris::sim::test {

class SimPort {
public:
    explicit SimPort(const std::string& path);
    ~SimPort();
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    bool send(std::string_view bytes);
    // Reads until `done` holds for what arrived, or `timeout` passes; returns what arrived.
    std::string readUntil(const std::function<bool(const std::string&)>& done,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    std::string readReply() {
        return readUntil([](const std::string& s) { return !s.empty() && s.back() == '>'; });
    }
    std::string readBytes(std::size_t count) {
        return readUntil([count](const std::string& s) { return s.size() >= count; });
    }
    // Sends a command and reads its reply up to the first '>'.
    std::string command(std::string_view frame) {
        send(frame);
        return readReply();
    }

private:
    int m_fd = -1;
};

}  // namespace voltaris::sim::test
