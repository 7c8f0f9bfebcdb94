// Reading and writing raw capture files.
#include "acquisition/RawCaptureFile.h"

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

std::optional<std::uint32_t> CheckRawCaptureFile(const std::string& path, std::string& error) {
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (code) {
        error = "cannot open " + path + ": " + code.message();
        return std::nullopt;
    }
    const std::uintmax_t blocks = size / kBlockBytes;
    if (size % kBlockBytes != 0 || blocks < kMinCaptureBlocks || blocks > kMaxCaptureBlocks) {
        error = sizeError(path, size);
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(blocks);
}

std::optional<RawCaptureFile> ReadRawCaptureFile(const std::string& path, std::string& error) {
    const std::optional<std::uint32_t> blocks = CheckRawCaptureFile(path, error);
    if (!blocks) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    const std::size_t size = std::size_t{*blocks} * kBlockBytes;
    std::vector<std::uint8_t> bytes(size);
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    RawCaptureFile file;
    file.blockCount = *blocks;
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
