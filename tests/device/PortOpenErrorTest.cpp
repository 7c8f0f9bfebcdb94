// Why a port did not open and what a device answered instead of a status, as the user reads it:
// the error carried out of the real opening (a missing device, a plain file, a port held by
// another opener, a device the user may not open) and the texts made of it.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <fstream>
#include <string>

#include "device/MeterDetection.h"
#include "device/SerialPort.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

// The error OpenPort gives for `path`, opened by an unprivileged user when this process is
// root (root passes every permission check), in a child so that this process keeps its rights.
int openErrorAsUser(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(255);
        }
        int error = 0;
        const bool opened = OpenPort(path, &error) != nullptr;
        ::_exit(opened ? 0 : (error & 0x7F));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST(PortOpenError, TheRealOpeningCarriesItsErrorOut) {
    const test::TempDir dir;
    ASSERT_TRUE(dir.valid());
    std::ofstream(dir.file("plain")) << "x";
    std::ofstream(dir.file("locked")) << "x";
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    std::ofstream(dir.file("forbidden")) << "x";
    ASSERT_EQ(::chmod(dir.file("forbidden").c_str(), 0), 0);
    // Another program's hold on the port: its lock.
    const int holder = ::open(dir.file("locked").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    const struct {
        std::string path;
        int error;
        const char* text;
    } cases[] = {
        {dir.file("missing"), ENOENT, "no such device"},
        {dir.file("plain"), ENOTTY, "it is not a serial device"},
        {dir.file("locked"), EBUSY, "it is in use by another program"},
    };
    for (const auto& c : cases) {
        int error = -1;
        EXPECT_EQ(OpenPort(c.path, &error), nullptr) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
        EXPECT_EQ(PortOpenErrorText(error), c.text);
    }
    EXPECT_EQ(openErrorAsUser(dir.file("forbidden")), EACCES);
    EXPECT_NE(PortOpenErrorText(EACCES).find("dialout"), std::string::npos);
    EXPECT_EQ(PortOpenErrorText(EIO), "Input/output error");  // others: the system's text
    ::close(holder);
}

TEST(PortOpenError, ProbesSayWhatCameBack) {
    const struct {
        PortProbe probe;
        std::string text;
    } cases[] = {
        {{.path = "/dev/p", .openError = EBUSY},
         "cannot open port /dev/p: it is in use by another program"},
        {{.path = "/dev/p"}, "no meter answers on /dev/p"},
        {{.path = "/dev/p", .reply = std::string("<K\0\x7f\"\\", 6)},
         "the device on /dev/p answered 6 bytes instead of a meter's 23-byte status: "
         "\"<K\\x00\\x7F\\\"\\\\\""},
        {{.path = "/dev/p", .reply = std::string(100, 'z')},
         "the device on /dev/p answered 100 bytes instead of a meter's 23-byte status: \"" +
             std::string(40, 'z') + "...\""},
        {{.path = "/dev/p", .reply = std::string(23, '#')},
         "the device on /dev/p answered something that is not a meter's status: \"" +
             std::string(23, '#') + "\""},
        {{.path = "/dev/p", .answered = true, .reply = "<?>"},
         "the device on /dev/p answered a status of no known meter generation: \"<?>\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProbeFailureText(c.probe), c.text);
    }
}

}  // namespace
}  // namespace voltaris
