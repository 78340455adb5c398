// kirikaze-scored: the score server the game submits won duels to.
#include "server/score_server.h"
#include "server/score_store.h"
#include "server/server_options.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <thread>

namespace {

int Fail(const std::string& message, int code) {
    std::fprintf(stderr, "kirikaze-scored: %s\n", message.c_str());
    return code;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = scored::ServerOptions::Parse(args, std::getenv("XDG_DATA_HOME"),
                                                std::getenv("HOME"), error);
    if (!options) {
        std::fprintf(stderr, "kirikaze-scored: %s\n%s", error.c_str(),
                     scored::ServerOptions::kUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(scored::ServerOptions::kUsage, stdout);
        return 0;
    }

    // Only the waiting thread below takes these, so a stop request is handled
    // in plain code rather than in a signal handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    auto store = scored::ScoreStore::Open(options->database, error);
    if (!store) {
        return Fail(error, 1);
    }
    scored::HttpListener::Settings settings;
    settings.maxPerAddress = options->perAddress;
    scored::ScoreServer server(*store, options->minFreeBytes, settings);
    if (!server.Bind(options->host, options->port, error)) {
        return Fail(error, 1);
    }
    std::atomic<bool> signalled{false};
    std::thread waiter([&server, &signalled, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        signalled = true;
        server.Stop();
    });

    std::string host =
        options->host.find(':') == std::string::npos ? options->host : "[" + options->host + "]";
    std::printf("kirikaze-scored: listening on http://%s:%d%s (database %s)\n", host.c_str(),
                server.Port(), std::string(scored::ScoreServer::kResultPath).c_str(),
                // A connection string may hold a password.
                scored::ScoreStore::IsPostgres(options->database) ? "PostgreSQL"
                                                                  : options->database.c_str());
    std::fflush(stdout);
    bool served = server.Run();
    // Wake the waiter when serving ended on its own, so it is gone before the
    // server it would stop.
    if (!signalled) {
        pthread_kill(waiter.native_handle(), SIGTERM);
    }
    waiter.join();
    return served ? 0 : Fail("serving stopped after an error", 1);
}
