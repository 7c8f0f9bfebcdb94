// Opening, closing and the single read and write calls of the meter's serial link.
#include "device/SerialPort.h"

#include <cerrno>
#include <cstdio>

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

std::unique_ptr<SerialPort> OpenPort(const std::string& path) {
#ifndef _WIN32
    std::unique_ptr<SerialPort> port = PosixSerialPort::open(path);
    if (port) {
        DiscardStaleInput(*port);
    }
    return port;
#else
    // The Win32 backend is not written yet.
    LogMessage(kLogModule, LogError, "Error opening %s port (1-%d)", path.c_str(), ENOSYS);
    return nullptr;
#endif
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

bool WritePort(SerialPort& port, const void* data, std::size_t count) {
    const PortIo io = port.write(data, count);
    if (!io.ok || io.bytes != count) {
        LogMessage(kLogModule, LogError, "Error writing to target (%d)", io.error);
        return false;
    }
    return true;
}

bool ReadPort(SerialPort& port, void* buffer, std::size_t count, std::size_t& received) {
    const PortIo io = port.read(buffer, count);
    received = io.bytes;
    if (!io.ok) {
        LogMessage(kLogModule, LogError, "Error reading from target (%d)", io.error);
        return false;
    }
    return true;
}

}  // namespace voltaris
