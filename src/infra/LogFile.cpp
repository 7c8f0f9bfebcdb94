// The log file: locked append and in-place trimming.
#include "infra/LogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

namespace voltaris {

namespace {

// An open log file holding the exclusive writer lock; closing the descriptor releases it.
// flock belongs to the open file description, so two threads of one process that each open the
// file exclude each other, as two processes do.
class LockedLogFile {
public:
    LockedLogFile(const std::string& path, int flags, std::chrono::milliseconds lockWait) {
        m_fd = ::open(path.c_str(), flags | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            return;
        }
        if (!lock(lockWait)) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LockedLogFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    LockedLogFile(const LockedLogFile&) = delete;
    LockedLogFile& operator=(const LockedLogFile&) = delete;

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    [[nodiscard]] int fd() const { return m_fd; }

private:
    // Non-blocking attempts every kLogLockRetry, so the wait stays bounded.
    bool lock(std::chrono::milliseconds lockWait) {
        const auto deadline = std::chrono::steady_clock::now() + lockWait;
        for (;;) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                return true;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(kLogLockRetry);
        }
    }

    int m_fd = -1;
};

bool WriteAll(int fd, const char* data, std::size_t size, off_t offset, bool append) {
    while (size > 0) {
        const ssize_t n = append ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// Reads up to `size` bytes at `offset`; returns the count, or -1 on error.
ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset) {
    for (;;) {
        const ssize_t n = ::pread(fd, data, size, offset);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

constexpr std::size_t kCopyChunk = 64 * 1024;

}  // namespace

std::optional<std::int64_t> AppendLogLine(const std::string& path, std::string_view line,
                                          std::chrono::milliseconds lockWait) {
    const LockedLogFile file(path, O_WRONLY | O_APPEND, lockWait);
    if (!file.isOpen() || !WriteAll(file.fd(), line.data(), line.size(), 0, true)) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool TrimLogFile(const std::string& path, std::int64_t keepBytes,
                 std::chrono::milliseconds lockWait) {
    const LockedLogFile file(path, O_RDWR, lockWait);
    if (!file.isOpen()) {
        return false;
    }
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) {
        return false;
    }
    const std::int64_t length = st.st_size;
    if (keepBytes <= 0 || keepBytes > length) {
        return true;
    }

    // Drop the partial line at the cut point, up to and including its line feed.
    std::vector<char> buffer(kCopyChunk);
    off_t readPos = static_cast<off_t>(length - keepBytes);
    bool foundLineEnd = false;
    while (!foundLineEnd && readPos < length) {
        const ssize_t n = ReadAt(file.fd(), buffer.data(), buffer.size(), readPos);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[static_cast<std::size_t>(i)] == '\n') {
                readPos += i + 1;
                foundLineEnd = true;
                break;
            }
        }
        if (!foundLineEnd) {
            readPos += n;
        }
    }

    // Move the kept lines to the front, oldest first, then cut the file after them.
    off_t writePos = 0;
    while (readPos < length) {
        const ssize_t n = ReadAt(file.fd(), buffer.data(), buffer.size(), readPos);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        if (!WriteAll(file.fd(), buffer.data(), static_cast<std::size_t>(n), writePos, false)) {
            return false;
        }
        readPos += n;
        writePos += n;
    }
    return ::ftruncate(file.fd(), writePos) == 0;
}

}  // namespace voltaris
