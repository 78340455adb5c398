#pragma once
#include "server/http_listener.h"
#include "server/score_store.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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

    // New results are refused while the store's disk has less than
    // minFreeBytes free.
    explicit ScoreServer(ScoreStore& store, uint64_t minFreeBytes = 0,
                         HttpListener::Settings settings = {});
    ScoreServer(const ScoreServer&) = delete;
    ScoreServer& operator=(const ScoreServer&) = delete;

    // Takes the address; false, with the reason in error, when the host is
    // unknown or the port is taken or forbidden. Port 0 takes any free port.
    bool Bind(const std::string& host, int port, std::string& error);
    int Port() const { return m_http.Port(); }

    // Serves on the bound address until Stop; false when serving failed.
    bool Run() { return m_http.Run(); }
    // Safe from any thread, before, during or after Run.
    void Stop() { m_http.Stop(); }
    bool IsRunning() const { return m_http.IsRunning(); }

    // The replies themselves, apart from the transport. acceptLanguage: the
    // request's header, which chooses the language of the answer's words.
    Reply Submit(std::string_view query, std::string_view acceptLanguage = "");
    Reply Results();

private:
    HttpResponse Route(const HttpRequest& request);
    bool RoomOnDisk();

    ScoreStore& m_store;
    uint64_t m_minFree;
    std::atomic<bool> m_full{false};
    HttpListener m_http;
};

} // namespace scored
