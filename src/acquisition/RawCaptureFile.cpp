// Reading and writing raw capture files.
#include "acquisition/RawCaptureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>

#include "device/MeterProtocol.h"

namespace voltaris {

namespace {

std::string sizeError(const std::string& path, std::uintmax_t size) {
    if (size % kBlockBytes != 0) {
        return path + " is " + std::to_string(size) + " bytes, not a whole number of " +
               std::to_string(kBlockBytes) + "-byte blocks";
    }
    return path + " holds " + std::to_string(size / kBlockBytes) + " blocks; a capture has " +
           std::to_string(kMinCaptureBlocks) + " to " + std::to_string(kMaxCaptureBlocks);
}

}  // namespace

namespace {

// A capture file opened for reading, closed when it goes.
class OpenedCapture {
public:
    OpenedCapture() = default;
    OpenedCapture(const OpenedCapture&) = delete;
    OpenedCapture& operator=(const OpenedCapture&) = delete;
    ~OpenedCapture() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int fd = -1;
    std::uint32_t blocks = 0;
};

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

// Opens `path` without ever blocking (a FIFO or a device would wait for a writer or for data)
// and accepts only a regular file of whole blocks in the capture range. A file that says it is
// empty but yields bytes (/proc, /sys) is no regular file either.
bool openCapture(const std::string& path, OpenedCapture& file, std::string& error) {
    file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file.fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is " + kindOf(info.st_mode) + ", not a capture file";
        return false;
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size == 0) {
        char probe = 0;
        if (::read(file.fd, &probe, 1) > 0) {
            error = path + " is not a regular file: it reports 0 bytes but has contents " +
                    "(a /proc or /sys file), not a capture file";
            return false;
        }
    }
    const std::uintmax_t blocks = size / kBlockBytes;
    if (size % kBlockBytes != 0 || blocks < kMinCaptureBlocks || blocks > kMaxCaptureBlocks) {
        error = sizeError(path, size);
        return false;
    }
    file.blocks = static_cast<std::uint32_t>(blocks);
    return true;
}

}  // namespace

std::optional<std::uint32_t> CheckRawCaptureFile(const std::string& path, std::string& error) {
    OpenedCapture file;
    if (!openCapture(path, file, error)) {
        return std::nullopt;
    }
    return file.blocks;
}

std::optional<RawCaptureFile> ReadRawCaptureFile(const std::string& path, std::string& error) {
    OpenedCapture opened;
    if (!openCapture(path, opened, error)) {
        return std::nullopt;
    }
    const std::size_t size = std::size_t{opened.blocks} * kBlockBytes;
    std::vector<std::uint8_t> bytes(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(opened.fd, bytes.data() + got, size - got,
                                  static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = "cannot read " + path + ": " +
                    (n < 0 ? std::strerror(errno) : "it was shortened while being read");
            return std::nullopt;
        }
        got += static_cast<std::size_t>(n);
    }
    RawCaptureFile file;
    file.blockCount = opened.blocks;
    const std::size_t pairs = size / kBytesPerSamplePair;
    file.voltage.resize(pairs);
    file.current.resize(pairs);
    UnpackSamples(bytes, file.voltage, file.current);
    return file;
}

bool WriteRawCaptureFile(const std::string& path, const CaptureBuffer& buffer, std::string& error) {
    const std::size_t pairs = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(buffer.blockCount, 0)) * kSamplesPerBlock,
        kCaptureSampleCapacity);
    std::vector<char> bytes;
    bytes.reserve(pairs * kBytesPerSamplePair);
    for (std::size_t k = 0; k < pairs; ++k) {
        const auto v = static_cast<std::uint16_t>(buffer.voltage[k]);
        const auto i = static_cast<std::uint16_t>(buffer.current[k]);
        for (const std::uint16_t word : {v, i}) {
            bytes.push_back(static_cast<char>(word >> 8));
            bytes.push_back(static_cast<char>(word & 0xFF));
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
        !out.flush()) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace voltaris
