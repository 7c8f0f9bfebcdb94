// The one exchange through which every meter command travels: write a command, collect the
// reply up to '>' or an exact byte count, retry up to three times, drain the queue on failure.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

#include "device/SerialPort.h"

namespace voltaris {

// Empty-read budgets callers pass to SendCommand.
inline constexpr int kEmptyReadsCommand = 20;
inline constexpr int kEmptyReadsEeprom = 100;
inline constexpr int kEmptyReadsReset = 100;
inline constexpr int kEmptyReadsBulk = 1000;

// Largest chunk of a fixed-length reply taken by one read.
inline constexpr std::size_t kBulkReadChunk = 1000;
// Size of the read that empties the input queue after a failed attempt.
inline constexpr std::size_t kDrainReadSize = 4995;
// Longest time the drain after a failed attempt keeps waiting for replies the meter still owes
// (one for each command written whose attempt failed).
inline constexpr std::chrono::milliseconds kDrainBound{5000};
// A fixed-length reply (a bulk transfer) that brings no byte for this long has stalled: the
// exchange fails at once, without further attempts, whatever is left of its empty-read budget.
inline constexpr std::chrono::milliseconds kStallLimit{5000};
// Size of the drain's first read after a call in which the meter sent nothing at all, or whose
// transfer stalled: it waits one second for a first byte (N + 20 ms), enough for the replies of
// a meter that answers late, where the full read would wait five on a meter that is gone.
inline constexpr std::size_t kSilentDrainReadSize = 980;

// Tells whether a complete reply has the shape its command's reply must have. A reply that does
// not is another command's, late: the attempt fails and is retried.
using ReplyCheck = bool (*)(std::string_view reply);

// Sends `command` (zero-terminated ASCII, written without its zero; empty or null writes nothing
// and only collects bytes) and reads the reply into `reply`, which holds `replyCapacity` bytes.
// `expectedLength` 0 reads until the last byte received is '>'; a positive value reads exactly
// that many bytes. `maxEmptyReads` reads that return nothing are tolerated over the whole call.
// Input already waiting before a command is written is stale and discarded. With `check`, a
// complete reply it rejects fails the attempt like a timeout.
// A lost link (SerialPort::linkLost) ends the call at once: no further attempt, no drain.
// Returns whether the last attempt succeeded; `replyLength` holds its byte count and `reply`
// its bytes followed by a zero. A reply that would not leave room for that zero fails.
[[nodiscard]] bool SendCommand(SerialPort& port, const char* command, char* reply,
                               std::size_t replyCapacity, std::size_t expectedLength,
                               std::size_t& replyLength, int maxEmptyReads,
                               ReplyCheck check = nullptr);

}  // namespace voltaris
