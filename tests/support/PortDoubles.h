// Serial port doubles: a port that records every call passed to a real one, a port whose every
// call result is scripted, and a port that answers each command with a reply made up by a handler.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "device/SerialPort.h"
#include "support/WaitFor.h"

namespace voltaris::test {

// One call seen by a RecordingPort.
struct PortCall {
    enum Kind { Write, Read } kind;
    std::size_t requested;  // bytes asked for
    std::size_t moved;      // bytes written or received
    bool ok;
};

// Passes every call to a real port and records it, so that tests can count the reads of an
// exchange without timing it. Safe to inspect from the test thread while a worker uses it.
class RecordingPort final : public SerialPort {
public:
    explicit RecordingPort(SerialPort& port) : m_port(port) {}
    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    void close() override { m_port.close(); }
    [[nodiscard]] bool linkLost() const override { return m_port.linkLost(); }
    [[nodiscard]] bool reopen() override { return m_port.reopen(); }
    [[nodiscard]] std::string name() const override { return m_port.name(); }

    [[nodiscard]] std::vector<PortCall> calls() const;
    [[nodiscard]] std::vector<PortCall> reads() const;
    void clear();
    // The calls as text, one token per call: "W" for a write, "R<n>" for a read of n bytes.
    [[nodiscard]] std::string trace() const;
    // Reads that returned no byte, and writes.
    [[nodiscard]] int emptyReads() const;
    [[nodiscard]] int writes() const;
    // Waits until `ready` holds for the calls recorded, at most `bound`.
    [[nodiscard]] bool waitUntil(const std::function<bool(const std::vector<PortCall>&)>& ready,
                                 std::chrono::milliseconds bound = kWaitBound) const;

private:
    void record(const PortCall& call);

    SerialPort& m_port;
    mutable std::mutex m_mutex;  // protects m_calls
    mutable std::condition_variable m_recorded;
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

// A port that answers each command written with the reply a handler makes up; for replies the
// simulator cannot give. Reads return what is queued (nothing at once when the queue is empty).
// Safe to inspect from the test thread while the worker uses it.
class ScriptedMeterPort final : public SerialPort {
public:
    using Handler = std::function<std::string(const std::string& command)>;
    explicit ScriptedMeterPort(Handler handler) : m_handler(std::move(handler)) {}

    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    void close() override {}
    // Under the lock like every other call: a test that deletes the port once the worker let
    // go of it is then ordered after the worker's last call.
    [[nodiscard]] bool linkLost() const override;
    [[nodiscard]] std::string name() const override { return "scripted"; }

    [[nodiscard]] std::vector<std::string> commands() const;
    [[nodiscard]] std::size_t count(const std::string& command) const;
    [[nodiscard]] bool waitForCommand(const std::string& command, std::size_t times = 1,
                                      std::chrono::milliseconds bound = kWaitBound) const;
    // While held, a read blocks until release(); for an exchange that outlasts a stop.
    void holdReads(bool hold);

private:
    Handler m_handler;
    mutable std::mutex m_mutex;  // protects every member below
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_commands;
    std::deque<char> m_pending;
    bool m_holdReads = false;
};

// The status reply of the simulator's format with `letter` at position 9, cut or stretched to
// `length` characters (23 is the valid length).
[[nodiscard]] std::string StatusReply(char letter, std::size_t length = 23);

}  // namespace voltaris::test
