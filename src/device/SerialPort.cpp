// Opening, closing and the single read and write calls of the meter's serial link.
#include "device/SerialPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "infra/Log.h"

#ifndef _WIN32
#include "device/PosixSerialPort.h"
#endif

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
}

std::string WindowsPortPath(int portNumber) {
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\COM%d", portNumber);
    return path;
}

std::unique_ptr<SerialPort> OpenPort(const std::string& path, int* error) {
#ifndef _WIN32
    std::unique_ptr<SerialPort> port = PosixSerialPort::open(path, {}, error);
    if (port) {
        DiscardStaleInput(*port);
    }
    return port;
#else
    // The Win32 backend is not written yet.
    LogMessage(kLogModule, LogError, "Error opening %s port (1-%d)", path.c_str(), ENOSYS);
    if (error != nullptr) {
        *error = ENOSYS;
    }
    return nullptr;
#endif
}

std::string PortOpenErrorText(int error) {
    switch (error) {
        case EBUSY:
            return "it is in use by another program";
        case EACCES:
        case EPERM:
            return "permission denied (serial ports belong to the dialout group: add yourself "
                   "with 'sudo usermod -aG dialout $USER', then log in again)";
        case ENOENT:
            return "no such device";
        case ENXIO:
        case ENODEV:
            return "the device is not present (unplugged, or the Bluetooth link is not bound)";
        case ENOTTY:
        case EINVAL:
            return "it is not a serial device";
        default:
            return std::strerror(error);
    }
}

std::size_t DiscardStaleInput(SerialPort& port) {
    const std::size_t discarded = port.discardInput();
    if (discarded > 0) {
        LogMessage(kLogModule, LogInfo, "Stale input discarded, %d bytes",
                   static_cast<int>(discarded));
    }
    return discarded;
}

bool ClosePort(SerialPort& port) {
    port.close();
    return true;
}

bool IsLinkLossError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

bool WritePort(SerialPort& port, const void* data, std::size_t count) {
    if (port.linkLost()) {
        return false;
    }
    const PortIo io = port.write(data, count);
    if (!io.ok || io.bytes != count) {
        LogMessage(kLogModule, LogError, "Error writing to target (%d)", io.error);
        return false;
    }
    return true;
}

bool ReadPort(SerialPort& port, void* buffer, std::size_t count, std::size_t& received) {
    received = 0;
    if (port.linkLost()) {
        return false;
    }
    const PortIo io = port.read(buffer, count);
    received = io.bytes;
    if (!io.ok) {
        LogMessage(kLogModule, LogError, "Error reading from target (%d)", io.error);
        return false;
    }
    return true;
}

}  // namespace voltaris
