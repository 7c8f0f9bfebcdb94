// Port doubles of the device tests: they record or script the calls.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "device/SerialPort.h"

namespace voltaris::test {

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
