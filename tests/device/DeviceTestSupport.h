// Helpers of the device tests: a reader of the diagnostic log they enable, and port doubles that
// record or script the calls.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "device/SerialPort.h"

namespace voltaris::test {

// One line of the diagnostic log, without its date and process name.
struct LogLine {
    std::string tag;      // level tag without its padding, e.g. "INFO"
    std::string message;  // the formatted message
};

// Switches the diagnostic log on at every level, writing into `folder` (made when missing).
// Only the settings change: the program that logs reads them in its LogInit.
void EnableFullLog(const std::filesystem::path& folder);
// Removes every log setting again.
void ClearLogSettings();
// The lines that the process `processName` logged into the files of `folder`, in order.
[[nodiscard]] std::vector<LogLine> ReadLogLines(const std::filesystem::path& folder,
                                                const std::string& processName);

// Switches the diagnostic log on at every level, writing into a fresh private folder, and
// reads back what was logged.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    using Line = LogLine;
    [[nodiscard]] std::vector<Line> lines() const;
    // Messages at the level tag `tag` ("ERROR", "INFO", "DEBUG1") that start with `prefix`.
    [[nodiscard]] std::vector<std::string> messages(const std::string& tag,
                                                    const std::string& prefix = "") const;

private:
    std::filesystem::path m_folder;
};

// One call seen by a RecordingPort.
struct PortCall {
    enum Kind { Write, Read } kind;
    std::size_t requested;  // bytes asked for
    std::size_t moved;      // bytes written or received
    bool ok;
};

// Passes every call to a real port and records it, so that tests can count the reads of an
// exchange without timing it.
class RecordingPort final : public SerialPort {
public:
    explicit RecordingPort(SerialPort& port) : m_port(port) {}
    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    void close() override { m_port.close(); }
    [[nodiscard]] std::string name() const override { return m_port.name(); }

    [[nodiscard]] const std::vector<PortCall>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }
    // The calls as text, one token per call: "W" for a write, "R<n>" for a read of n bytes.
    [[nodiscard]] std::string trace() const;

private:
    SerialPort& m_port;
    std::vector<PortCall> m_calls;
};

// A port whose every call result is scripted; for faults a pseudo-terminal cannot produce.
class ScriptedPort final : public SerialPort {
public:
    // Results of the next writes; when none is left a write moves all bytes.
    std::deque<PortIo> writeResults;
    struct Read {
        std::string bytes;
        bool ok = true;
        int error = 0;
    };
    // Results of the next reads. A read returns at most the rest of the front entry, which is
    // used up over as many reads as it takes (its failure, if any, comes with its first read);
    // when no entry is left a read returns nothing.
    std::deque<Read> readResults;
    std::vector<std::string> written;    // bytes of each write call
    std::vector<std::size_t> readSizes;  // size asked by each read call

    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    void close() override {}
    [[nodiscard]] std::string name() const override { return "scripted"; }
};

}  // namespace voltaris::test
