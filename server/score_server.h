#pragma once
#include "server/answer_texts.h"
#include "server/http_listener.h"
#include "server/log_throttle.h"
#include "server/score_store.h"
#include "server/submission.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace scored {

// A status and the bytes of the page, with their content type; a file to
// save when it has a name.
struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string filename;
};

// The pages of the score service over HTTP: the game submits a won duel to
// the submit path, the player's browser opens the result path, and each
// result's replay is a file at the replay path, "?id=" and its id.
class ScoreServer {
public:
    static constexpr std::string_view kSubmitPath = "/game/kirikaze/GameSet.asp";
    static constexpr std::string_view kResultPath = "/game/kirikaze/GameResult.asp";
    static constexpr std::string_view kReplayPath = "/game/kirikaze/Replay.asp";
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

private:
    // What needs no storage, answered on the reading thread at once: other
    // paths and methods, and submissions refused for what they hold.
    std::optional<HttpResponse> Screen(const HttpRequest& request);
    // The rest, on a worker: what the player is owed within kPatience of
    // the request.
    HttpResponse Serve(const HttpRequest& request);
    HttpResponse Wrap(Reply reply, bool resultPage);
    Reply Submit(const Submission& submission, const AnswerTexts& texts,
                 ScoreStore::Clock::time_point by);
    Reply Results(const AnswerTexts& texts, ScoreStore::Clock::time_point by);
    Reply ReplayFile(int64_t id, ScoreStore::Clock::time_point by);
    // The id a replay's target asks for; nothing when it asks for none.
    static std::optional<int64_t> ReplayId(std::string_view target);
    bool RoomOnDisk();

    ScoreStore& m_store;
    uint64_t m_minFree;
    std::atomic<bool> m_full{false};
    // A database that is away is said once, then counted.
    LogThrottle m_storeLog;
    HttpListener m_http;
};

} // namespace scored
