// Port decorator that gives up waiting on a quiet meter once interrupted.
#include "device/InterruptiblePort.h"

#include <utility>

namespace voltaris {

InterruptiblePort::InterruptiblePort(SerialPort& inner, std::function<bool()> interrupted)
    : m_inner(inner), m_interrupted(std::move(interrupted)) {}

PortIo InterruptiblePort::write(const void* data, std::size_t count) {
    return m_inner.write(data, count);
}

PortIo InterruptiblePort::read(void* buffer, std::size_t count) {
    if (m_gaveUp) {
        return {true, 0, 0};
    }
    const PortIo io = m_inner.read(buffer, count);
    if (io.bytes == 0 && m_interrupted && m_interrupted()) {
        m_gaveUp = true;
    }
    return io;
}

}  // namespace voltaris
