// The diagnostic log as the tests see it: its settings switched on into a private folder, and the
// lines a process wrote read back by level tag and message.
#pragma once

#include <QString>
#include <QVariant>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace voltaris::test {

// Process names of the test programs' own log lines and of the window's.
inline constexpr const char* kTestProcess = "VoltarisTest";
inline constexpr const char* kWindowProcess = "VoltarisRT";

// Replaces the whole "Korvex/Tracekit" configuration with `values`.
void SetLogConfig(const std::vector<std::pair<QString, QVariant>>& values);
// Switches the log on at every level, writing into `folder` (made when missing). Only the
// settings change: a process picks them up in its LogInit.
void EnableFullLog(const std::filesystem::path& folder);
// Removes every log setting again.
void ClearLogSettings();

// One line of the diagnostic log, without its date and process name.
struct LogLine {
    std::string tag;      // level tag without its padding, e.g. "INFO"
    std::string message;  // the formatted message
};

// The lines that the process `processName` logged into the files of `folder`, in order.
[[nodiscard]] std::vector<LogLine> ReadLogLines(const std::filesystem::path& folder,
                                                const std::string& processName);

// While it lives, the log is on at every level into a fresh folder of the private home; this
// process logs as `processName` (a window started later logs under its own name, kWindowProcess).
class LogCapture {
public:
    explicit LogCapture(std::string processName = kTestProcess);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    [[nodiscard]] std::vector<LogLine> lines() const;
    // Messages at the level tag `tag` ("ERROR", "INFO", "DEBUG1") that start with `prefix`.
    [[nodiscard]] std::vector<std::string> messages(const std::string& tag,
                                                    const std::string& prefix = "") const;
    // How often `message` was logged at `tag`.
    [[nodiscard]] int count(const std::string& tag, const std::string& message) const;

private:
    std::string m_process;
    std::filesystem::path m_folder;
};

}  // namespace voltaris::test
