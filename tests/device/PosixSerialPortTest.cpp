// The POSIX serial backend on a bare pseudo-terminal pair: line settings, timeout rules,
// exclusive use and failures.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "device/PosixSerialPort.h"
#include "device/SerialPort.h"
#include "support/LogCapture.h"
#include "support/ReadUntil.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal whose master side plays the far end of the link.
class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_slavePath = ::ptsname(m_master);
        }
    }
    ~PtyPair() { closeMaster(); }
    [[nodiscard]] bool valid() const { return !m_slavePath.empty(); }
    [[nodiscard]] const std::string& path() const { return m_slavePath; }
    [[nodiscard]] int master() const { return m_master; }
    void send(const std::string& bytes) const { ASSERT_TRUE(test::WriteAll(m_master, bytes)); }
    // Bytes that reached the far end, waiting at most `timeout` for `count` of them.
    [[nodiscard]] std::string receive(std::size_t count,
                                      std::chrono::milliseconds timeout = 2000ms) const {
        return test::ReadUntil(
            m_master, [count](const std::string& got) { return got.size() >= count; }, timeout);
    }
    void closeMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

std::string readSome(SerialPort& port, std::size_t count, bool* ok = nullptr) {
    std::string buf(count, '\0');
    std::size_t received = 0;
    const bool result = ReadPort(port, buf.data(), count, received);
    if (ok != nullptr) {
        *ok = result;
    }
    buf.resize(received);
    return buf;
}

TEST(SerialPortName, WindowsDeviceNamespacePath) {
    EXPECT_EQ(WindowsPortPath(1), R"(\\.\COM1)");
    EXPECT_EQ(WindowsPortPath(256), R"(\\.\COM256)");
}

TEST(PosixSerialPort, MovesBytesUntranslatedBothWays) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    auto port = OpenPort(pty.path());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->name(), pty.path());

    // Raw mode: no echo, no CR/LF mapping, no signal or flow-control characters.
    const std::string inbound = std::string("a\r\n\x03\x11\x13\x7F\xFF", 8) + std::string(1, '\0');
    pty.send(inbound);
    EXPECT_EQ(readSome(*port, inbound.size()), inbound);

    const std::string outbound("<W1\n\r>\0", 7);
    ASSERT_TRUE(WritePort(*port, outbound.data(), outbound.size()));
    EXPECT_EQ(pty.receive(outbound.size()), outbound);
    EXPECT_EQ(pty.receive(1, 50ms), "");  // nothing echoed or added

    // A read takes no more than asked for; the rest waits for the next one.
    pty.send("<K>late");
    EXPECT_EQ(readSome(*port, 3), "<K>");
    EXPECT_EQ(readSome(*port, 10), "late");
    bool ok = false;
    EXPECT_EQ(readSome(*port, 1, &ok), "");  // nothing left: success without bytes
    EXPECT_TRUE(ok);
}

TEST(PosixSerialPort, AppliesTheMeterLineSettings) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    auto port = OpenPort(pty.path());
    ASSERT_NE(port, nullptr);
    // Terminal settings queried on the master side are those of the slave.
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B460800));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(PosixSerialPort, ReadReturnsOnceTheLineFallsSilentAfterTheFirstByte) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    // A total timeout far longer than the test's bound: only the inter-byte rule can end
    // the read with the first burst.
    PortTimeouts timeouts;
    timeouts.readConstant = 20s;
    auto port = PosixSerialPort::open(pty.path(), timeouts);
    ASSERT_NE(port, nullptr);

    pty.send("abc");
    std::promise<void> readReturned;
    std::thread farEnd([&pty, done = readReturned.get_future()] {
        // If the read is still waiting after a second, a second burst joins the first one.
        if (done.wait_for(1s) == std::future_status::timeout) {
            pty.send("def");
        }
    });
    const std::string got = readSome(*port, 100);
    readReturned.set_value();
    farEnd.join();
    EXPECT_EQ(got, "abc");
}

TEST(PosixSerialPort, WriteHeldBackPastItsTimeoutIsShort) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    PortTimeouts timeouts;
    timeouts.writePerByte = 0us;
    timeouts.writeConstant = 50ms;
    auto port = PosixSerialPort::open(pty.path(), timeouts);
    ASSERT_NE(port, nullptr);
    test::LogCapture log;

    // Nobody reads the far end, so the terminal's queue fills and the write cannot finish.
    const std::string big(4 << 20, 'x');
    const PortIo io = port->write(big.data(), big.size());
    EXPECT_TRUE(io.ok);
    EXPECT_LT(io.bytes, big.size());
    EXPECT_EQ(io.error, ETIMEDOUT);

    EXPECT_FALSE(WritePort(*port, big.data(), big.size()));
    EXPECT_EQ(log.messages("ERROR"), std::vector<std::string>{"Error writing to target (" +
                                                              std::to_string(ETIMEDOUT) + ")"});
}

TEST(PosixSerialPort, MissingDeviceOrNonTerminalIsNotOpened) {
    const auto file = test::TestHome() / "not-a-tty";
    std::ofstream(file) << "x";
    test::LogCapture log;
    EXPECT_EQ(OpenPort("/dev/voltaris-no-such-port"), nullptr);
    EXPECT_EQ(OpenPort(file.string()), nullptr);
    EXPECT_EQ(
        log.messages("ERROR"),
        (std::vector<std::string>{
            "Error opening /dev/voltaris-no-such-port port (1-" + std::to_string(ENOENT) + ")",
            "Error configuring com port (1-" + std::to_string(ENOTTY) + ")"}));
}

TEST(PosixSerialPort, PortIsUsedByOneOwnerAtATime) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    auto first = OpenPort(pty.path());
    ASSERT_NE(first, nullptr);
    {
        test::LogCapture log;
        EXPECT_EQ(OpenPort(pty.path()), nullptr);
        EXPECT_EQ(log.messages("ERROR"),
                  std::vector<std::string>{"Error opening " + pty.path() + " port (1-" +
                                           std::to_string(EBUSY) + ")"});
    }
    EXPECT_TRUE(ClosePort(*first));
    EXPECT_NE(OpenPort(pty.path()), nullptr);
}

TEST(PosixSerialPort, ClosedPortFailsEveryCall) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    auto port = OpenPort(pty.path());
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(ClosePort(*port));
    EXPECT_TRUE(ClosePort(*port));  // closing twice is harmless

    test::LogCapture log;
    bool ok = true;
    EXPECT_EQ(readSome(*port, 4, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_FALSE(WritePort(*port, "<?>", 3));
    EXPECT_EQ(
        log.messages("ERROR"),
        (std::vector<std::string>{"Error reading from target (" + std::to_string(EBADF) + ")",
                                  "Error writing to target (" + std::to_string(EBADF) + ")"}));
}

TEST(PosixSerialPort, HungUpFarEndIsAReadFailureKeepingEarlierBytes) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    auto port = OpenPort(pty.path());
    ASSERT_NE(port, nullptr);
    pty.send("<K");
    EXPECT_EQ(readSome(*port, 2), "<K");
    pty.closeMaster();
    bool ok = true;
    EXPECT_EQ(readSome(*port, 1, &ok), "");
    EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace voltaris
