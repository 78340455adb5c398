#include "platform/shell.h"

#include "platform/files.h"
#include "platform/services.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
// handling, and leaves a thread that waits for it so it never lingers as a
// zombie. False when it could not be started.
bool Spawn(const std::vector<std::string>& argv, bool search) {
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
    if (error != 0) {
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

} // namespace platform
