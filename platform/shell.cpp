#include "platform/shell.h"

#include "platform/files.h"
#include "platform/services.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

extern char** environ;

namespace platform {

void OpenUrl(const std::string& url) {
    if (Launcher* launcher = GetServices().launcher) {
        launcher->OpenUrl(url);
    }
}

void StartProgram(const std::string& gamePath, const std::string& parameters) {
    if (Launcher* launcher = GetServices().launcher) {
        launcher->StartProgram(gamePath, parameters);
    }
}

bool ServeLocally(const std::string& program, uint16_t port) {
    Launcher* launcher = GetServices().launcher;
    return launcher && launcher->ServeLocally(program, port);
}

void StopServing() {
    if (Launcher* launcher = GetServices().launcher) {
        launcher->StopServing();
    }
}

std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = parameters.size();
    while (true) {
        while (i < n && (parameters[i] == ' ' || parameters[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (parameters[i] != ' ' && parameters[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < n && parameters[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && parameters[i] == '"') {
                // 2n backslashes and a quote: n backslashes, the quote toggles;
                // 2n+1: n backslashes and a literal quote.
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < n && parameters[i + 1] == '"') {
                    arg += '"'; // "" inside quotes is one literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < n && (quoted || (parameters[i] != ' ' && parameters[i] != '\t'))) {
                    arg += parameters[i];
                    ++i;
                }
            }
        }
        args.push_back(std::move(arg));
    }
}

namespace {

// Starts argv[0] (searched in PATH when search is set) with clean signal
// handling; its id, 0 when it could not be started.
pid_t StartChild(const std::vector<std::string>& argv, bool search) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int error = search ? posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ)
                             : posix_spawn(&pid, args[0], nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    return error == 0 ? pid : 0;
}

// As StartChild, and leaves a thread that waits for it so it never lingers
// as a zombie. False when it could not be started.
bool Spawn(const std::vector<std::string>& argv, bool search) {
    const pid_t pid = StartChild(argv, search);
    if (pid == 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace

void PosixLauncher::OpenUrl(const std::string& url) {
    if (!Spawn({"xdg-open", url}, true)) {
        std::fprintf(stderr, "kirikazeJ: cannot start xdg-open to open %s\n", url.c_str());
    }
}

void PosixLauncher::StartProgram(const std::string& gamePath, const std::string& parameters) {
    const std::string path = MapPath(gamePath);
    if (access(path.c_str(), F_OK) != 0) {
        return; // a missing program is not the player's concern
    }
    std::vector<std::string> argv{path};
    for (std::string& arg : SplitParameters(parameters)) {
        argv.push_back(std::move(arg));
    }
    if (!Spawn(argv, false)) {
        std::fprintf(stderr, "kirikazeJ: cannot start %s\n", path.c_str());
    }
}

namespace {

// The local server: ours, started in the background when the game needs one
// on this machine and nothing answers there.
using SteadyTime = std::chrono::steady_clock;

constexpr auto kStartWait = std::chrono::seconds(5);
constexpr auto kStopWait = std::chrono::seconds(2);
constexpr int kProbeMs = 200;

// Whether something accepts connections on 127.0.0.1:port right now.
bool Answers(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool open = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!open && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        open = poll(&waiting, 1, kProbeMs) == 1 &&
               getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    close(fd);
    return open;
}

// The program installed in the same folder as the running game.
std::string BesideGame(const std::string& program) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return {};
    }
    std::string path(self, static_cast<size_t>(length));
    path.erase(path.rfind('/') + 1);
    return path + program;
}

bool Running(int pid) {
    return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

} // namespace

PosixLauncher::~PosixLauncher() {
    StopServing();
}

bool PosixLauncher::ServeLocally(const std::string& program, uint16_t port) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Answers(port)) {
        return true; // the player's own server, or ours from before
    }
    if (Running(m_serverPid)) {
        kill(m_serverPid, SIGTERM);
        waitpid(m_serverPid, nullptr, 0);
    }
    m_serverPid = 0;
    const std::string path = BesideGame(program);
    if (path.empty() || access(path.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "kirikazeJ: no %s beside the game to keep the scores\n",
                     program.c_str());
        return false;
    }
    // Its database is its own default: $XDG_DATA_HOME/kirikaze/scores.db.
    // No reaper thread: this one is ours to stop and wait for.
    const pid_t pid = StartChild({path, "--listen", "127.0.0.1:" + std::to_string(port)}, false);
    if (pid == 0) {
        std::fprintf(stderr, "kirikazeJ: cannot start %s\n", path.c_str());
        return false;
    }
    m_serverPid = pid;
    const auto deadline = SteadyTime::now() + kStartWait;
    while (SteadyTime::now() < deadline && Running(pid)) {
        if (Answers(port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "kirikazeJ: %s did not answer on port %u\n", path.c_str(), port);
    return false;
}

void PosixLauncher::StopServing() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_serverPid <= 0) {
        return;
    }
    const pid_t pid = m_serverPid;
    m_serverPid = 0;
    // Asked to stop first, so it closes its database as it should.
    kill(pid, SIGTERM);
    const auto deadline = SteadyTime::now() + kStopWait;
    while (SteadyTime::now() < deadline) {
        const pid_t ended = waitpid(pid, nullptr, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace platform
