// Programs of the project run as child processes by the tests, with their output collected and
// every wait bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace voltaris::test {

using namespace std::chrono_literals;

// Changes to the environment a child starts with; the rest is this process's own, which holds
// the private home of the test program.
struct Environment {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
};

// A program running as a child process, its standard input, output and error on pipes. Still
// running at destruction, it is killed and reaped.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const Environment& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] bool started() const { return m_pid > 0; }
    [[nodiscard]] pid_t pid() const { return m_pid; }

    // Closes the child's standard input: it reads the end of its input, a signal to go on or stop.
    void closeInput();

    // Standard output up to the next line end (left out), or all of it once the child closed it
    // or `bound` passed.
    [[nodiscard]] std::string readLine(std::chrono::milliseconds bound = 5s);
    // Reads both outputs until the child closes them or `bound` passes; true when both closed.
    bool readToEnd(std::chrono::milliseconds bound);
    [[nodiscard]] const std::string& out() const { return m_out; }
    [[nodiscard]] const std::string& err() const { return m_err; }

    // The exit status once the child ended (128 + the signal when a signal ended it), at most
    // `bound` from now; nullopt when it still runs.
    [[nodiscard]] std::optional<int> wait(std::chrono::milliseconds bound = 5s);
    void signal(int number);

private:
    pid_t m_pid = -1;
    int m_inFd = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_out;  // standard output not yet taken by readLine()
    std::string m_err;
    std::optional<int> m_exit;
};

// What a program run to its end left behind.
struct ProgramRun {
    bool finished = false;  // false: it did not end within its bound and was killed
    int exitCode = -1;      // 128 + the signal when a signal ended it
    std::string out;
    std::string err;
};

// Runs `program` with `args` to its end, at most `bound`; a program that cannot start or does not
// finish in time is a test failure.
[[nodiscard]] ProgramRun RunProgram(const std::string& program,
                                    const std::vector<std::string>& args,
                                    const Environment& environment = {},
                                    std::chrono::milliseconds bound = 60s);

}  // namespace voltaris::test
