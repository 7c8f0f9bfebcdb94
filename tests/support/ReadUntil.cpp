// Bounded reads and whole writes on file descriptors.
#include "support/ReadUntil.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace voltaris::test {

bool ReadUntil(int fd, std::string& received, const std::function<bool(const std::string&)>& done,
               std::chrono::milliseconds bound) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + bound;
    char buffer[4096];
    while (!done(received)) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return done(received);  // closed, or hung up
        }
    }
    return true;
}

std::string ReadUntil(int fd, const std::function<bool(const std::string&)>& done,
                      std::chrono::milliseconds bound) {
    std::string received;
    ReadUntil(fd, received, done, bound);
    return received;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace voltaris::test
