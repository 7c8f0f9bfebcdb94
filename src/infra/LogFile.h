// The log file itself: appending a line and cutting the file down, each under an exclusive
// writer lock (flock) so that threads and processes logging at once never mix their lines.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voltaris {

// How long a writer waits for the lock held by another writer, and how often it tries.
inline constexpr std::chrono::milliseconds kLogLockWait{1000};
inline constexpr std::chrono::milliseconds kLogLockRetry{10};

// Appends `line` (which carries its own line end) at the end of the file, creating the file if
// needed. Returns the file's length afterwards, or nullopt when the file cannot be opened or
// written, or stays locked by another writer for longer than `lockWait` (the line is dropped).
[[nodiscard]] std::optional<std::int64_t> AppendLogLine(
    const std::string& path, std::string_view line,
    std::chrono::milliseconds lockWait = kLogLockWait);

// Keeps only the whole lines within the last `keepBytes` bytes: the file is cut at `keepBytes`
// before its end and the partial line found there is dropped with everything before it.
// Nothing changes when `keepBytes` is negative or zero (the cut point is the end) or larger
// than the file (the cut point would be before its start). Returns false when the file cannot be
// opened, locked, read or written.
[[nodiscard]] bool TrimLogFile(const std::string& path, std::int64_t keepBytes,
                               std::chrono::milliseconds lockWait = kLogLockWait);

}  // namespace voltaris
