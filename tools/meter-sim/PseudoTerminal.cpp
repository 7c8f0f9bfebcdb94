// Pseudo-terminal creation with POSIX calls.
#include "PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace voltaris::sim {

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::open() {
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        return false;
    }
    char name[128];
    const bool ready = ::fcntl(m_master, F_SETFD, FD_CLOEXEC) == 0 && ::grantpt(m_master) == 0 &&
                       ::unlockpt(m_master) == 0 && ::ptsname_r(m_master, name, sizeof name) == 0;
    if (!ready) {
        close();
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        close();
        return false;
    }
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0) {
        close();
        return false;
    }
    ::cfmakeraw(&settings);
    // Speed is meaningless on a pseudo-terminal; it is set to what the line would run at.
    ::cfsetispeed(&settings, B460800);
    ::cfsetospeed(&settings, B460800);
    const int flags = ::fcntl(m_master, F_GETFL);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0 || flags < 0 ||
        ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        close();
        return false;
    }
    return true;
}

void PseudoTerminal::close() {
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    m_slavePath.clear();
}

}  // namespace voltaris::sim
