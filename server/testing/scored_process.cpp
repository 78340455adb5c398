#include "server/testing/scored_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace scored {
namespace {

using Clock = std::chrono::steady_clock;

// Reads what is there within the time left; false at end of output or time.
bool ReadSome(int fd, std::string& into, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    ssize_t n = 0;
    if (fd < 0 || left.count() < 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
        (n = read(fd, buffer, sizeof buffer)) <= 0) {
        return false;
    }
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

} // namespace

// Starts the child with stdout and stderr on one pipe.
bool ScoredProcess::Spawn(const std::string& binary, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    m_output = fds[0];
    m_printed.clear();
    return m_pid > 0;
}

bool ScoredProcess::Start(const std::string& binary, const std::vector<std::string>& args,
                          std::string& error, int timeoutMs) {
    if (!Spawn(binary, args)) {
        error = "cannot start " + binary + ": " + std::strerror(errno);
        return false;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string marker = "listening on http://";
    while (ReadSome(m_output, m_printed, deadline)) {
        size_t at = m_printed.find(marker);
        if (at != std::string::npos && m_printed.find('\n', at) != std::string::npos) {
            // The port follows the last colon before the path.
            size_t slash = m_printed.find('/', at + marker.size());
            m_port = std::atoi(m_printed.c_str() + m_printed.rfind(':', slash) + 1);
            return m_port > 0;
        }
    }
    error = "the server did not start: " + m_printed;
    Stop(SIGKILL);
    return false;
}

const std::string& ScoredProcess::Output(int waitMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (ReadSome(m_output, m_printed, deadline)) {
    }
    return m_printed;
}

ScoredProcess::~ScoredProcess() {
    Stop(SIGKILL);
}

int ScoredProcess::Stop(int signal) {
    int status = 0;
    if (m_pid > 0) {
        kill(m_pid, signal);
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (m_output >= 0) {
        close(m_output);
    }
    const bool ran = m_pid > 0;
    m_pid = m_output = -1;
    return !ran                  ? -1
           : WIFEXITED(status)   ? WEXITSTATUS(status)
           : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                 : -1;
}

ScoredProcess::Finished ScoredProcess::Run(const std::string& binary,
                                           const std::vector<std::string>& args, int timeoutMs) {
    ScoredProcess child;
    Finished finished;
    if (!child.Spawn(binary, args)) {
        finished.output = std::strerror(errno);
        return finished;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    finished.output = child.Output(timeoutMs);
    const bool timedOut = Clock::now() >= deadline;
    const int code = child.Stop(timedOut ? SIGKILL : 0);
    finished.exitCode = timedOut ? -1 : code;
    return finished;
}

} // namespace scored
