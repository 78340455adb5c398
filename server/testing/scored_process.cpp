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

// Starts the child with stdout and stderr on one pipe; its read end or -1.
pid_t Spawn(const std::string& binary, const std::vector<std::string>& args, int& readEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return -1;
    }
    readEnd = fds[0];
    return pid;
}

// Reads what is there within the time left; false at end of output or time.
bool ReadSome(int fd, std::string& into, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) {
        return false;
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        return false;
    }
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

int Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

} // namespace

bool ScoredProcess::Start(const std::string& binary, const std::vector<std::string>& args,
                          std::string& error, int timeoutMs) {
    m_pid = Spawn(binary, args, m_output);
    if (m_pid < 0) {
        error = "cannot start " + binary + ": " + std::strerror(errno);
        return false;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    m_printed.clear();
    std::string& output = m_printed;
    const std::string marker = "listening on http://";
    while (ReadSome(m_output, output, deadline)) {
        size_t at = output.find(marker);
        size_t end = at == std::string::npos ? at : output.find('\n', at);
        if (end == std::string::npos) {
            continue;
        }
        // The port follows the last colon before the path.
        size_t slash = output.find('/', at + marker.size());
        size_t colon = output.rfind(':', slash);
        m_port = std::atoi(output.c_str() + colon + 1);
        return m_port > 0;
    }
    error = "the server did not start: " + output;
    Stop(SIGKILL);
    return false;
}

const std::string& ScoredProcess::Output(int waitMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    if (m_output >= 0) {
        while (ReadSome(m_output, m_printed, deadline)) {
        }
    }
    return m_printed;
}

ScoredProcess::~ScoredProcess() {
    Stop(SIGKILL);
}

int ScoredProcess::Stop(int signal) {
    if (m_pid < 0) {
        return -1;
    }
    kill(m_pid, signal);
    int code = Reap(m_pid);
    m_pid = -1;
    close(m_output);
    m_output = -1;
    return code;
}

ScoredProcess::Finished ScoredProcess::Run(const std::string& binary,
                                           const std::vector<std::string>& args, int timeoutMs) {
    Finished finished;
    int output = -1;
    pid_t pid = Spawn(binary, args, output);
    if (pid < 0) {
        finished.output = std::strerror(errno);
        return finished;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ReadSome(output, finished.output, deadline)) {
    }
    close(output);
    bool timedOut = Clock::now() >= deadline;
    if (timedOut) {
        kill(pid, SIGKILL);
    }
    int code = Reap(pid);
    finished.exitCode = timedOut ? -1 : code;
    return finished;
}

} // namespace scored
