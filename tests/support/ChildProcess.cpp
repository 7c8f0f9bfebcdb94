// Child processes of the tests.
#include "support/ChildProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "support/ReadUntil.h"

extern char** environ;

namespace voltaris::test {

namespace {

using Clock = std::chrono::steady_clock;

// This process's environment with `changes` applied, as "NAME=value" texts.
std::vector<std::string> ChildEnvironment(const Environment& changes) {
    std::vector<std::string> entries;
    const auto changed = [&changes](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        return std::find(changes.unset.begin(), changes.unset.end(), name) != changes.unset.end() ||
               std::any_of(changes.set.begin(), changes.set.end(),
                           [&name](const auto& set) { return set.first == name; });
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!changed(*entry)) {
            entries.emplace_back(*entry);
        }
    }
    for (const auto& [name, value] : changes.set) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::chrono::milliseconds Left(Clock::time_point deadline) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()));
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const Environment& environment) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = ChildEnvironment(environment);
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe for " << program << ": " << std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    const int failed = posix_spawn(&m_pid, program.c_str(), &actions, nullptr,
                                   Pointers(argv).data(), Pointers(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    m_inFd = in[1];
    m_outFd = out[0];
    m_errFd = err[0];
    if (failed != 0) {
        m_pid = -1;
        ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(failed);
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_exit) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    closeInput();
    for (int fd : {m_outFd, m_errFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void ChildProcess::closeInput() {
    if (m_inFd >= 0) {
        ::close(m_inFd);
        m_inFd = -1;
    }
}

std::string ChildProcess::readLine(std::chrono::milliseconds bound) {
    ReadUntil(
        m_outFd, m_out, [](const std::string& s) { return s.find('\n') != std::string::npos; },
        bound);
    const std::size_t end = m_out.find('\n');
    std::string line = m_out.substr(0, end);
    m_out.erase(0, end == std::string::npos ? end : end + 1);
    return line;
}

bool ChildProcess::readToEnd(std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    std::pair<int*, std::string*> streams[] = {{&m_outFd, &m_out}, {&m_errFd, &m_err}};
    for (;;) {
        pollfd fds[2];
        nfds_t count = 0;
        for (const auto& [fd, text] : streams) {
            if (*fd >= 0) {
                fds[count++] = {*fd, POLLIN, 0};
            }
        }
        if (count == 0) {
            return true;
        }
        const int left = static_cast<int>(Left(deadline).count());
        if (left == 0 || ::poll(fds, count, left) < 0) {
            return false;
        }
        for (auto& [fd, text] : streams) {
            const auto polled = std::find_if(
                fds, fds + count, [&](const pollfd& p) { return p.fd == *fd && p.revents != 0; });
            if (*fd < 0 || polled == fds + count) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(*fd, buffer, sizeof buffer);
            if (n > 0) {
                text->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds bound) {
    if (m_exit || m_pid <= 0) {
        return m_exit;
    }
    // A process descriptor becomes readable when the child ends.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
    if (pidFd < 0) {
        ADD_FAILURE() << "cannot watch process " << m_pid << ": " << std::strerror(errno);
        return std::nullopt;
    }
    pollfd p{pidFd, POLLIN, 0};
    int status = 0;
    if (::poll(&p, 1, static_cast<int>(bound.count())) == 1 &&
        ::waitpid(m_pid, &status, 0) == m_pid) {
        m_exit = StatusOf(status);
    }
    ::close(pidFd);
    return m_exit;
}

void ChildProcess::signal(int number) {
    if (m_pid > 0 && !m_exit) {
        ::kill(m_pid, number);
    }
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const Environment& environment, std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    ChildProcess child(program, args, environment);
    ProgramRun run;
    if (!child.started()) {
        return run;
    }
    child.closeInput();
    child.readToEnd(bound);
    const std::optional<int> status = child.wait(Left(deadline));
    run.out = child.out();
    run.err = child.err();
    if (!status) {
        std::string line = program;
        for (const std::string& arg : args) {
            line += " " + arg;
        }
        ADD_FAILURE() << line << ": did not finish within " << bound.count() << " ms";
        return run;
    }
    run.finished = true;
    run.exitCode = *status;
    return run;
}

}  // namespace voltaris::test
