// POSIX backend of SerialPort: a tty opened exclusively, set raw at the meter's line settings,
// with the Windows-style read and write timeouts rebuilt on poll().
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "device/SerialPort.h"

namespace voltaris {

// Timeouts of the link, in the form of the Windows COMMTIMEOUTS the meter was designed for.
struct PortTimeouts {
    std::chrono::microseconds readInterval{2000};
    std::chrono::microseconds readPerByte{1000};
    std::chrono::microseconds readConstant{20000};
    std::chrono::microseconds writePerByte{1000};
    std::chrono::microseconds writeConstant{10000};
};

class PosixSerialPort final : public SerialPort {
public:
    // Opens `path` read-write without becoming its controlling terminal, claims it exclusively
    // and applies the meter's line settings. Logs and returns null on failure, with the system's
    // error code in `*error` when that is given (EBUSY when another program holds the port).
    // `quiet` opens without logging a failure (the reconnection after a lost link retries
    // every few seconds and logs for itself).
    [[nodiscard]] static std::unique_ptr<PosixSerialPort> open(const std::string& path,
                                                               PortTimeouts timeouts = {},
                                                               int* error = nullptr,
                                                               bool quiet = false);
    ~PosixSerialPort() override;

    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    // Flushes the driver's input queue, then reads without waiting whatever reached the queue
    // meanwhile.
    std::size_t discardInput() override;
    void close() override;
    [[nodiscard]] bool linkLost() const override { return m_lost; }
    // Opens the path again; a link bound again under the same name (rfcomm) is usable at once.
    [[nodiscard]] bool reopen() override;
    [[nodiscard]] std::string name() const override { return m_path; }

private:
    PosixSerialPort(int fd, std::string path, PortTimeouts timeouts);
    // Records a hang-up or an I/O error: logged once, and every later call fails at once.
    PortIo lose(std::size_t bytes, int error);

    int m_fd;
    bool m_lost = false;
    std::string m_path;
    PortTimeouts m_timeouts;
};

}  // namespace voltaris
