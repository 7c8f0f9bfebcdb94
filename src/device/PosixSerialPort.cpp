// POSIX backend of the meter's serial link.
#include "device/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
// Most bytes read by one discardInput() after its flush.
constexpr std::size_t kDiscardReadLimit = 128 * 1024;

using Clock = std::chrono::steady_clock;

// Waits until `fd` is ready for `events` or `until` passes. Returns poll's result.
int waitReady(int fd, short events, Clock::time_point until) {
    const auto left = std::max(Clock::duration::zero(), until - Clock::now());
    pollfd p{fd, events, 0};
#ifdef __linux__
    // ppoll keeps the 2 ms inter-byte rule to the microsecond; poll would round it to whole ms.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    return ::ppoll(&p, 1, &ts, nullptr);
#else
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ::poll(&p, 1, static_cast<int>(ms));
#endif
}

// Applies raw 8N1 at the meter's rate with CTS flow control. A pseudo-terminal or an adapter
// that refuses the rate or the flow control still gets the raw mode: those settings are
// meaningless there, not a fault.
bool applyLineSettings(int fd, const termios& current) {
    termios tio = current;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | HUPCL);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    // With the descriptor non-blocking, VMIN 1 makes an empty queue read as EAGAIN, so that a
    // read of 0 bytes can only mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    termios plain = tio;
#ifdef CCTS_OFLOW
    tio.c_cflag |= CCTS_OFLOW;
#else
    tio.c_cflag |= CRTSCTS;
#endif
    ::cfsetispeed(&tio, B460800);
    ::cfsetospeed(&tio, B460800);
    if (::tcsetattr(fd, TCSANOW, &tio) == 0) {
        return true;
    }
    return ::tcsetattr(fd, TCSANOW, &plain) == 0;
}

// DTR held off, RTS held on. Devices without modem lines (pseudo-terminals) refuse both.
void setModemLines(int fd) {
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIC, &dtr);
    (void)::ioctl(fd, TIOCMBIS, &rts);
}

}  // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::open(const std::string& path,
                                                       PortTimeouts timeouts, int* error,
                                                       bool quiet) {
    // Stage 0 is the opening itself, stages 1 to 3 the configuration steps.
    const auto fail = [&](int err, int stage) -> std::unique_ptr<PosixSerialPort> {
        if (error != nullptr) {
            *error = err;
        }
        if (quiet) {
            return nullptr;
        }
        if (stage == 0) {
            LogMessage(kLogModule, LogError, "Error opening %s port (1-%d)", path.c_str(), err);
        } else {
            LogMessage(kLogModule, LogError, "Error configuring com port (%d-%d)", stage, err);
        }
        return nullptr;
    };
    // Non-blocking: the open must not wait for a carrier, and reads are timed with poll().
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(errno, 0);
    }
    // Exclusive use: the advisory lock keeps out every other user of this link, TIOCEXCL keeps
    // out other openers of the tty that do not take the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return fail(err, 0);
    }
    termios current{};
    if (::tcgetattr(fd, &current) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err, 1);
    }
    (void)::ioctl(fd, TIOCEXCL);
    if (!applyLineSettings(fd, current)) {
        const int err = errno;
        ::close(fd);
        return fail(err, 2);
    }
    setModemLines(fd);
    // The timeouts rely on non-blocking reads and writes; make sure the flag held.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ((flags & O_NONBLOCK) == 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)) {
        const int err = errno;
        ::close(fd);
        return fail(err, 3);
    }
    if (error != nullptr) {
        *error = 0;
    }
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, path, timeouts));
}

PosixSerialPort::PosixSerialPort(int fd, std::string path, PortTimeouts timeouts)
    : m_fd(fd), m_path(std::move(path)), m_timeouts(timeouts) {}

PosixSerialPort::~PosixSerialPort() {
    close();
}

void PosixSerialPort::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool PosixSerialPort::reopen() {
    close();
    std::unique_ptr<PosixSerialPort> fresh = open(m_path, m_timeouts, nullptr, true);
    if (!fresh) {
        return false;
    }
    m_fd = std::exchange(fresh->m_fd, -1);
    m_lost = false;
    (void)discardInput();
    return true;
}

PortIo PosixSerialPort::lose(std::size_t bytes, int error) {
    if (!m_lost) {
        m_lost = true;
        LogMessage(kLogModule, LogError, "Link to the meter on %s lost (%d)", m_path.c_str(),
                   error);
    }
    return {false, bytes, error};
}

PortIo PosixSerialPort::read(void* buffer, std::size_t count) {
    if (m_lost) {
        return {false, 0, EIO};
    }
    if (m_fd < 0) {
        return {false, 0, EBADF};
    }
    if (count == 0) {
        return {true, 0, 0};
    }
    auto* out = static_cast<unsigned char*>(buffer);
    const auto deadline =
        Clock::now() + m_timeouts.readConstant + m_timeouts.readPerByte * static_cast<long>(count);
    std::size_t got = 0;
    Clock::time_point lastByte{};
    for (;;) {
        const ssize_t n = ::read(m_fd, out + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            lastByte = Clock::now();
            if (got == count) {
                return {true, got, 0};
            }
            continue;
        }
        if (n == 0) {
            // End of file on a tty: the other end hung up.
            return lose(got, EIO);
        }
        if (errno == EINTR) {
            continue;
        }
        if (IsLinkLossError(errno)) {
            return lose(got, errno);
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return {false, got, errno};
        }
        auto limit = deadline;
        if (got > 0) {
            limit = std::min(limit, lastByte + m_timeouts.readInterval);
        }
        if (Clock::now() >= limit) {
            return {true, got, 0};
        }
        if (waitReady(m_fd, POLLIN, limit) < 0 && errno != EINTR) {
            return {false, got, errno};
        }
    }
}

std::size_t PosixSerialPort::discardInput() {
    if (m_fd < 0) {
        return 0;
    }
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0 || queued < 0) {
        queued = 0;
    }
    (void)::tcflush(m_fd, TCIFLUSH);
    auto discarded = static_cast<std::size_t>(queued);
    // Bytes that were on their way into the queue during the flush. Bounded, so that a meter
    // streaming without pause cannot keep this loop going.
    unsigned char scratch[512];
    for (std::size_t taken = 0; taken < kDiscardReadLimit;) {
        const ssize_t n = ::read(m_fd, scratch, sizeof scratch);
        if (n > 0) {
            taken += static_cast<std::size_t>(n);
            discarded += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // nothing more waiting (EAGAIN), or a fault the next read will report
        }
    }
    return discarded;
}

PortIo PosixSerialPort::write(const void* data, std::size_t count) {
    if (m_lost) {
        return {false, 0, EIO};
    }
    if (m_fd < 0) {
        return {false, 0, EBADF};
    }
    const auto* in = static_cast<const unsigned char*>(data);
    const auto deadline = Clock::now() + m_timeouts.writeConstant +
                          m_timeouts.writePerByte * static_cast<long>(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && IsLinkLossError(errno)) {
            return lose(done, errno);
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return {false, done, errno};
        }
        // Output held back (flow control or a full queue): wait for room until the timeout,
        // then report what went out, as a timed-out write does.
        if (Clock::now() >= deadline) {
            return {true, done, ETIMEDOUT};
        }
        if (waitReady(m_fd, POLLOUT, deadline) < 0 && errno != EINTR) {
            return {false, done, errno};
        }
    }
    return {true, done, 0};
}

}  // namespace voltaris
