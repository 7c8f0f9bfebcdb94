// The diagnostic log's per-call logic: configuration checks, filters, line building, append and
// trimming. LogInit/LogMessage (Log.h) drive one process-wide instance; tests make their own.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "infra/Log.h"
#include "infra/LogProfileStore.h"

namespace voltaris {

// Default of MaxSize and ResetSize, in thousands of bytes.
inline constexpr std::int32_t kLogDefaultSize = 9999999;

// Folder used when PathLog is not set: "c:\" on Windows, the user's application-data folder
// elsewhere.
[[nodiscard]] std::string DefaultLogFolder();

// <folder><separator><module>.log, without doubling a separator that ends `folder`.
[[nodiscard]] std::string LogFilePath(std::string_view folder, std::string_view module);

class Logger {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit Logger(LogProfileStore store = LogProfileStore(), Clock clock = {});

    // Stores the process name and reads the master switch EnableLog (once, here).
    void init(const char* processName);

    // Writes one line when configured to: 0 when written or skipped by configuration, -1 when
    // the file could not be opened, stayed locked too long, or could not be written or trimmed.
    int message(const char* module, int level, const char* format, std::va_list args)
        __attribute__((format(printf, 4, 0)));
    int write(const char* module, int level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    [[nodiscard]] bool enabled() const { return m_enabled.load(std::memory_order_acquire) != 0; }
    [[nodiscard]] std::string processName() const;

private:
    LogProfileStore m_store;
    Clock m_clock;
    std::atomic<std::int32_t> m_enabled{0};  // EnableLog as read by init(); 0 before it
    mutable std::mutex m_nameMutex;          // protects m_processName
    std::string m_processName;
};

}  // namespace voltaris
