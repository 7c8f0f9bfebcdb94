// POSIX test client of the simulator's terminal.
#include "SimPort.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "support/ReadUntil.h"

namespace voltaris::sim::test {

SimPort::SimPort(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        if (::tcsetattr(m_fd, TCSANOW, &settings) == 0 && ::tcflush(m_fd, TCIOFLUSH) == 0) {
            return;
        }
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SimPort::~SimPort() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool SimPort::send(std::string_view bytes) {
    return voltaris::test::WriteAll(m_fd, bytes);
}

std::string SimPort::readUntil(const std::function<bool(const std::string&)>& done,
                               std::chrono::milliseconds timeout) {
    return voltaris::test::ReadUntil(m_fd, done, timeout);
}

}  // namespace voltaris::sim::test
