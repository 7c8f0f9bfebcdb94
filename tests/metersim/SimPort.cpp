// POSIX test client of the simulator's terminal.
#include "SimPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

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
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    return true;
}

std::string SimPort::readUntil(const std::function<bool(const std::string&)>& done,
                               std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::string received;
    char buffer[4096];
    while (!done(received)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return received;
}

}  // namespace voltaris::sim::test
