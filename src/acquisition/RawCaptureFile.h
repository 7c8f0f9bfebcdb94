// Raw capture files: the bytes of the meter's B reply as `voltaris-cli capture --raw` writes
// them (per sample pair, big-endian voltage then current, 1024 bytes a block), read back by
// `analyze` and by the replay source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/CaptureBuffer.h"
#include "analysis/MeasurementSet.h"

namespace voltaris {

struct RawCaptureFile {
    std::uint32_t blockCount = 0;
    std::vector<std::int16_t> voltage;  // blockCount x 256 raw samples
    std::vector<std::int16_t> current;
};

// Checks that `path` is a readable regular file of kMinCaptureBlocks to kMaxCaptureBlocks (3 to
// 92) whole blocks without reading it; returns its block count, or nothing with `error` saying
// why. A FIFO, a device, a folder or a /proc file is refused up front, never waited on.
[[nodiscard]] std::optional<std::uint32_t> CheckRawCaptureFile(const std::string& path,
                                                               std::string& error);

// Reads and unpacks the file; nothing, with `error` saying why, when it cannot be read or is not
// a capture of 3 to 92 whole blocks.
[[nodiscard]] std::optional<RawCaptureFile> ReadRawCaptureFile(const std::string& path,
                                                               std::string& error);

// Writes the blocks of `buffer` in the layout above; false, with `error` saying why, when the
// file cannot be written whole.
[[nodiscard]] bool WriteRawCaptureFile(const std::string& path, const CaptureBuffer& buffer,
                                       std::string& error);

}  // namespace voltaris
