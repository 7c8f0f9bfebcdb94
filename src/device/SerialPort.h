// The meter's serial link: a byte-stream port with the meter's timeout rules, and the free
// functions through which the rest of the program opens, uses and closes it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace voltaris {

// Outcome of one read or write call on a port.
struct PortIo {
    bool ok = false;        // false only when the call itself failed
    std::size_t bytes = 0;  // bytes moved by the call, also when it failed part-way
    int error = 0;          // system error code when the call failed or stopped short
};

// One open serial port. A read of N bytes waits at most N + 20 ms in total and returns early,
// with what it has, once 2 ms pass without a new byte after the first; a write of N bytes waits
// at most N + 10 ms. One port is used by one thread at a time.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    [[nodiscard]] virtual PortIo write(const void* data, std::size_t count) = 0;
    [[nodiscard]] virtual PortIo read(void* buffer, std::size_t count) = 0;
    // Throws away the input that has already arrived and not been read, without waiting for
    // more; returns how many bytes went. A port that cannot tell discards nothing.
    virtual std::size_t discardInput() { return 0; }
    // Releases the device; later reads and writes fail. Safe to call more than once.
    virtual void close() = 0;
    // True once the link itself is gone: the other end hung up or the device reported an I/O
    // error (a dropped Bluetooth link). Reads and writes then fail at once, without waiting.
    [[nodiscard]] virtual bool linkLost() const { return false; }
    // Closes the device and opens the same path again with the same settings, quietly (the
    // caller logs). True when the port is usable again; a port that cannot reopen says false.
    [[nodiscard]] virtual bool reopen() { return false; }
    [[nodiscard]] virtual std::string name() const = 0;
};

// Line settings of the meter's link.
inline constexpr int kMeterBaudRate = 460800;

// Device path of COM port `portNumber` (from 1) in the Windows device namespace: \\.\COMn.
[[nodiscard]] std::string WindowsPortPath(int portNumber);

// Opens and configures the port at `path` (a device path such as /dev/rfcomm0 here, the
// WindowsPortPath form on Windows), then discards any input already waiting: replies owed to an
// earlier user of the port (a capture interrupted half-way) must not answer this one's first
// command. Returns null, after logging why, when that fails, with the system's error code in
// `*error` when that is given.
[[nodiscard]] std::unique_ptr<SerialPort> OpenPort(const std::string& path, int* error = nullptr);

// Why a port could not be opened, for a person: in use by another program, permission (with
// the dialout group hint), no such device, not a serial device, or the system's text.
[[nodiscard]] std::string PortOpenErrorText(int error);

// Discards the input already waiting on `port` and logs how much there was, if any.
std::size_t DiscardStaleInput(SerialPort& port);

// Closes the port. Always true.
bool ClosePort(SerialPort& port);

// Whether a failed call's error code means the link is gone rather than a slow or busy line.
[[nodiscard]] bool IsLinkLossError(int error);

// One write call; true only when it succeeds and all `count` bytes were written. On a port
// whose link was already lost it fails without logging again.
[[nodiscard]] bool WritePort(SerialPort& port, const void* data, std::size_t count);

// One read call of up to `count` bytes; false only when the call itself fails. Receiving
// nothing is a success. On a port whose link was already lost it fails without logging again.
[[nodiscard]] bool ReadPort(SerialPort& port, void* buffer, std::size_t count,
                            std::size_t& received);

}  // namespace voltaris
