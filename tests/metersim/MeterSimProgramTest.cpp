// The voltaris-meter-sim program run as a child process: terminal path on its first line,
// options applied, clean exit on SIGTERM, usage errors.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>

#include "SimPort.h"

extern char** environ;

namespace voltaris::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), VOLTARIS_METERSIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
    }
    ~Program() {
        if (m_pid > 0 && !m_exit) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            ::close(m_out);
        }
    }

    // Standard output up to the first line end, or up to the end of output.
    std::string firstLine() {
        std::string text;
        const auto deadline = Clock::now() + 5s;
        char c = 0;
        while (Clock::now() < deadline) {
            pollfd fd{m_out, POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0) {
                continue;
            }
            if (::read(m_out, &c, 1) != 1 || c == '\n') {
                break;
            }
            text += c;
        }
        return text;
    }

    // Exit status once the process ended, within a bound; nullopt when it did not end.
    std::optional<int> exitStatus() {
        if (!m_exit) {
            // A process descriptor becomes readable when the child ends.
            const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
            pollfd fd{pidFd, POLLIN, 0};
            int status = 0;
            if (pidFd >= 0 && ::poll(&fd, 1, 5000) == 1 && ::waitpid(m_pid, &status, 0) == m_pid) {
                m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (pidFd >= 0) {
                ::close(pidFd);
            }
        }
        return m_exit;
    }

    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::optional<int> m_exit;
};

TEST(MeterSimProgram, PrintsPathAnswersAndExitsCleanlyOnSignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        Program program({"--generation", "2", "--refuse", "L", "--erased-eeprom"});
        ASSERT_GT(program.pid(), 0);
        const std::string path = program.firstLine();
        ASSERT_TRUE(path.starts_with("/dev/")) << path;
        test::SimPort port(path);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.command("<?>").substr(16, 2), "12");
        EXPECT_EQ(port.command("<L05>"), "<N>");
        EXPECT_EQ(port.command("<V00>"), "<FF>");
        ::kill(program.pid(), signal);
        EXPECT_EQ(program.exitStatus(), 0);
    }
}

TEST(MeterSimProgram, HelpAndUsageErrors) {
    Program help({"--help"});
    EXPECT_TRUE(help.firstLine().starts_with("Usage: voltaris-meter-sim"));
    EXPECT_EQ(help.exitStatus(), 0);
    Program bad({"--generation", "7"});
    EXPECT_EQ(bad.firstLine(), "") << "no terminal is opened";
    EXPECT_EQ(bad.exitStatus(), 2);
}

}  // namespace
}  // namespace voltaris::sim
