#pragma once
#include "server/score_store.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace scored {

// A status and the bytes of the page, with their content type.
struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
};

// The two pages of the score service over HTTP: the game submits a won duel
// to the submit path and the player's browser opens the result path.
class ScoreServer {
public:
    static constexpr std::string_view kSubmitPath = "/game/kirikaze/GameSet.asp";
    static constexpr std::string_view kResultPath = "/game/kirikaze/GameResult.asp";
    static constexpr int kBestPerLevel = 50;

    explicit ScoreServer(ScoreStore& store);
    ~ScoreServer();
    ScoreServer(const ScoreServer&) = delete;
    ScoreServer& operator=(const ScoreServer&) = delete;

    // Takes the address; false, with the reason in error, when the host is
    // unknown or the port is taken or forbidden. Port 0 takes any free port.
    bool Bind(const std::string& host, int port, std::string& error);
    int Port() const { return m_port; }

    // Serves on the bound address until Stop; false when serving failed.
    bool Run();
    // Safe from any thread, before, during or after Run.
    void Stop();
    bool IsRunning() const;

    // The replies themselves, apart from the transport.
    Reply Submit(std::string_view query);
    Reply Results();

private:
    ScoreStore& m_store;
    std::unique_ptr<httplib::Server> m_http;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_inRun{false};
    std::atomic<bool> m_finished{false};
};

} // namespace scored
