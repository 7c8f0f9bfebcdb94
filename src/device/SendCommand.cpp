// The command exchange with the meter: three attempts sharing one empty-read budget.
#include "device/SendCommand.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr int kMaxAttempts = 3;
constexpr auto kExchangeWait = std::chrono::milliseconds(10);

// Byte `index` of the reply as a signed char widened to int, as the trace shows it; positions
// past the received bytes show 0 instead of stale buffer contents.
unsigned tracedByte(const char* reply, std::size_t length, std::size_t index) {
    const int value = index < length ? static_cast<signed char>(reply[index]) : 0;
    return static_cast<unsigned>(value);
}

struct Exchange {
    SerialPort& port;
    const char* command;
    std::size_t commandLength;
    char* reply;
    std::size_t capacity;
    std::size_t expectedLength;
    int maxEmptyReads;
    ReplyCheck check;
    int emptyReads = 0;   // shared by every attempt of the call
    int owedReplies = 0;  // commands written whose attempt failed: their replies may still come
    bool anyByte = false; // some attempt received at least one byte
    bool stalled = false; // a fixed-length reply stopped coming for kStallLimit
    bool final = false;   // the link is gone or a transfer stalled: no further attempt
};

// One attempt: write, then read until the reply is complete or the budget is spent.
bool attempt(Exchange& ex, std::size_t& replyLength) {
    std::this_thread::sleep_for(kExchangeWait);
    bool written = true;
    if (ex.commandLength > 0) {
        // Whatever waits now answered an earlier command; it must not answer this one.
        (void)DiscardStaleInput(ex.port);
        written = WritePort(ex.port, ex.command, ex.commandLength);
    }
    std::this_thread::sleep_for(kExchangeWait);
    LogMessage(kLogModule, LogInfo, "write %s, retour %d", ex.command, written ? 1 : 0);

    replyLength = 0;
    bool ok = written;
    const bool fixedLength = ex.expectedLength > 0;
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    // One byte is always kept for the terminating zero.
    const std::size_t room = ex.capacity - 1;
    while (ok) {
        if (fixedLength ? replyLength == ex.expectedLength : replyLength >= room) {
            ok = fixedLength;  // a terminator reply that fills the buffer fails
            break;
        }
        const std::size_t chunk =
            fixedLength ? std::min(ex.expectedLength - replyLength, kBulkReadChunk) : 1;
        std::size_t received = 0;
        const bool readOk = ReadPort(ex.port, ex.reply + replyLength, chunk, received);
        if (received > 0) {
            replyLength += received;
            ex.anyByte = true;
            lastProgress = Clock::now();
            if (!readOk) {
                ok = false;
            } else if (!fixedLength && ex.reply[replyLength - 1] == '>') {
                break;
            }
        } else if (ex.port.linkLost()) {
            ok = false;
        } else if (++ex.emptyReads > ex.maxEmptyReads) {
            ok = false;
        } else if (fixedLength && Clock::now() - lastProgress >= kStallLimit) {
            LogMessage(kLogModule, LogError, "Error Serial command %s, no byte for %d ms",
                       ex.command, static_cast<int>(kStallLimit.count()));
            ex.stalled = true;
            ex.final = true;
            ok = false;
        }
    }
    if (ex.port.linkLost()) {
        ex.final = true;
        ok = false;
    }

    ex.reply[replyLength] = '\0';
    // A complete reply of the wrong shape answered another command.
    const bool misfit =
        ok && ex.check != nullptr && !ex.check(std::string_view(ex.reply, replyLength));
    ok = ok && !misfit;
    if (!ok && written && ex.commandLength > 0 && !fixedLength) {
        ++ex.owedReplies;
    }
    if (fixedLength) {
        LogMessage(kLogModule, LogInfo, "read %d octets (%2.2X %2.2X %2.2X...), retour %d",
                   static_cast<int>(replyLength), tracedByte(ex.reply, replyLength, 0),
                   tracedByte(ex.reply, replyLength, 1), tracedByte(ex.reply, replyLength, 2),
                   ok ? 1 : 0);
    } else {
        LogMessage(kLogModule, LogInfo, "read %d octets (%s), retour %d",
                   static_cast<int>(replyLength), ex.reply, ok ? 1 : 0);
    }
    if (misfit) {
        LogMessage(kLogModule, LogError, "Error Serial command %s, unexpected reply of %d octets",
                   ex.command, static_cast<int>(replyLength));
    }
    return ok;
}

// Empties the input queue after a failed attempt: one read of up to kDrainReadSize bytes
// (kSilentDrainReadSize when the meter sent nothing during the whole call or a transfer
// stalled), then, while
// replies are still owed and bytes keep coming, further reads until as many '>' as owed replies
// have arrived, the line stays quiet for a whole read, or kDrainBound has passed.
// Returns the number of bytes thrown away.
std::size_t drain(const Exchange& ex) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + kDrainBound;
    char scratch[kDrainReadSize];
    std::size_t total = 0;
    int terminators = 0;
    std::size_t size = ex.anyByte && !ex.stalled ? sizeof scratch : kSilentDrainReadSize;
    for (;;) {
        std::size_t received = 0;
        (void)ReadPort(ex.port, scratch, size, received);
        total += received;
        terminators += static_cast<int>(std::count(scratch, scratch + received, '>'));
        if (received == 0 || terminators >= ex.owedReplies) {
            return total;
        }
        // A read of N bytes may wait N + 20 ms: size the next one to what is left of the bound.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 21) {
            return total;
        }
        size = std::min<std::size_t>(sizeof scratch, static_cast<std::size_t>(left - 20));
    }
}

}  // namespace

bool SendCommand(SerialPort& port, const char* command, char* reply, std::size_t replyCapacity,
                 std::size_t expectedLength, std::size_t& replyLength, int maxEmptyReads,
                 ReplyCheck check) {
    replyLength = 0;
    if (command == nullptr) {
        command = "";
    }
    // The reply and its terminating zero must fit; a caller asking for more is refused before
    // anything is sent, so no reply is left behind in the queue.
    if (reply == nullptr || replyCapacity == 0 || expectedLength >= replyCapacity) {
        LogMessage(kLogModule, LogError, "Error Serial command %s, reply buffer too small",
                   command);
        if (reply != nullptr && replyCapacity > 0) {
            reply[0] = '\0';
        }
        return false;
    }

    Exchange ex{port,          command,        std::strlen(command), reply,
                replyCapacity, expectedLength, maxEmptyReads,        check};
    int attempts = 0;
    bool anyFailed = false;
    bool ok = false;
    while (attempts < kMaxAttempts) {
        ok = attempt(ex, replyLength);
        if (ok) {
            break;
        }
        anyFailed = true;
        ++attempts;
        if (ex.final) {
            attempts = kMaxAttempts;
            LogMessage(kLogModule, LogError, "Error Serial command %s, no more retries...",
                       command);
        } else if (ex.commandLength == 0) {
            attempts = kMaxAttempts;  // a pure collection is not repeated
            LogMessage(kLogModule, LogError, "Error Serial command %s, no more retries...",
                       command);
        } else if (attempts >= kMaxAttempts) {
            LogMessage(kLogModule, LogError, "Error Serial command %s, no more retries...",
                       command);
        } else {
            LogMessage(kLogModule, LogError, "Error Serial command %s, retry %d", command,
                       attempts);
        }
    }

    if (anyFailed && !port.linkLost()) {
        // Late bytes of a failed attempt must not be taken for the next reply.
        const std::size_t drained = drain(ex);
        LogMessage(kLogModule, LogInfo, "Cleaning queue, %d bytes received",
                   static_cast<int>(drained));
    }
    return ok;
}

}  // namespace voltaris
