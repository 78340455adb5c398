#include "server/score_server.h"

#include "server/answer_texts.h"
#include "server/query_string.h"
#include "server/score_pages.h"

#include <cstdio>
#include <mutex>

namespace scored {
namespace {

constexpr const char* kAnswerType = "text/html; charset=Shift_JIS";
constexpr const char* kPageType = "text/html; charset=utf-8";
constexpr const char* kReplayType = "application/x-kirikaze-replay";
// Ids are counted from 1 up: eighteen digits are more than any will reach.
constexpr size_t kMaxIdDigits = 18;

std::vector<std::string> StoredLines(const Submission& s, const Standing& standing,
                                     const AnswerTexts& texts) {
    const std::string level(s.level >= 1 && s.level <= 3 ? texts.levelNames[s.level - 1] : "");
    return {std::string(texts.stored),
            AnswerTexts::Fill(texts.standing, {level, std::to_string(standing.total),
                                               std::to_string(standing.rank)})};
}

Reply Unstored(const AnswerTexts& texts, std::string_view why) {
    return {503, kAnswerType, ScorePages::Answer({std::string(texts.notStored), std::string(why)})};
}

} // namespace

ScoreServer::ScoreServer(ScoreStore& store, uint64_t minFreeBytes, HttpListener::Settings settings)
    : m_store(store), m_minFree(minFreeBytes),
      m_http(
          settings, [this](const HttpRequest& request) { return Serve(request); },
          [this](const HttpRequest& request) { return Screen(request); }) {}

bool ScoreServer::Bind(const std::string& host, int port, std::string& error) {
    return m_http.Bind(host, port, error);
}

std::optional<HttpResponse> ScoreServer::Screen(const HttpRequest& request) {
    std::string_view path = request.Path();
    bool submit = path == kSubmitPath;
    bool results = path == kResultPath;
    bool replay = path == kReplayPath;
    HttpResponse response;
    if ((submit || results || replay) && !request.body.empty()) {
        // The score paths take nothing but their query.
        response.status = 413;
        return response;
    }
    bool head = request.method == "HEAD";
    if (!(submit || results || replay) || (request.method != "GET" && !head) ||
        (replay && !ReplayId(request.target))) {
        response.status = 404;
        return response;
    }
    if (submit && head) {
        // A HEAD must not store a result whose answer nobody reads.
        response.status = 405;
        response.headers = {{"Allow", "GET"}};
        return response;
    }
    if (submit) {
        const AnswerTexts& texts = AnswerTexts::For(request.acceptLanguage);
        auto checked = Submission::FromQuery(QueryString::Of(request.target), texts);
        if (auto* refusal = std::get_if<Refusal>(&checked)) {
            return Wrap({400, kAnswerType,
                         ScorePages::Answer({std::string(texts.notStored), refusal->reason})},
                        false);
        }
    }
    return std::nullopt;
}

HttpResponse ScoreServer::Serve(const HttpRequest& request) {
    const AnswerTexts& texts = AnswerTexts::For(request.acceptLanguage);
    auto by = request.received + ScoreStore::kPatience;
    if (request.Path() == kResultPath) {
        return Wrap(Results(texts, by), true);
    }
    if (request.Path() == kReplayPath) {
        // Screened: the target names an id.
        return Wrap(ReplayFile(*ReplayId(request.target), by), false);
    }
    // Screened: a submission that reaches a worker holds a valid result.
    auto checked = Submission::FromQuery(QueryString::Of(request.target), texts);
    return Wrap(Submit(std::get<Submission>(checked), texts, by), false);
}

HttpResponse ScoreServer::Wrap(Reply reply, bool resultPage) {
    HttpResponse response;
    response.status = reply.status;
    response.headers = {{"Cache-Control", "no-store"}, {"Content-Type", reply.contentType}};
    if (resultPage) {
        response.headers.emplace_back("Content-Security-Policy",
                                      "default-src 'none'; style-src 'unsafe-inline'");
    }
    if (!reply.filename.empty()) {
        response.headers.emplace_back("Content-Disposition",
                                      "attachment; filename=\"" + reply.filename + "\"");
    }
    response.body = std::move(reply.body);
    return response;
}

bool ScoreServer::RoomOnDisk() {
    if (m_minFree == 0) {
        return true;
    }
    std::optional<uint64_t> free = m_store.FreeBytes();
    bool full = free && *free < m_minFree;
    // Said once when it starts and once when it ends, not for every player.
    if (m_full.exchange(full) != full) {
        if (full) {
            std::fprintf(stderr,
                         "kirikaze-scored: %llu MiB free on the database's disk, less than "
                         "--min-free %llu MiB: new results are refused until there is room\n",
                         static_cast<unsigned long long>(*free >> 20),
                         static_cast<unsigned long long>(m_minFree >> 20));
        } else {
            std::fprintf(stderr, "kirikaze-scored: room on the database's disk again: new "
                                 "results are taken\n");
        }
    }
    return !full;
}

Reply ScoreServer::Submit(const Submission& submission, const AnswerTexts& texts,
                          ScoreStore::Clock::time_point by) {
    if (!RoomOnDisk()) {
        return Unstored(texts, texts.diskFull);
    }
    std::string error;
    std::optional<Standing> standing = m_store.Add(submission, error, by);
    if (error == ScoreStore::kDuelStored) {
        // Someone else's replay sent again: refused like any unproved result.
        return {400, kAnswerType,
                ScorePages::Answer(
                    {std::string(texts.notStored),
                     AnswerTexts::Fill(texts.unverified, {std::string(texts.replayStored)})})};
    }
    if (!standing) {
        m_storeLog.Failed("cannot store a result: " + error);
        return Unstored(texts, texts.notSaved);
    }
    m_storeLog.Recovered("the database answers again");
    return {200, kAnswerType, ScorePages::Answer(StoredLines(submission, *standing, texts))};
}

Reply ScoreServer::Results(const AnswerTexts& texts, ScoreStore::Clock::time_point by) {
    std::array<std::vector<StoredResult>, 3> best;
    for (int level = 1; level <= 3; ++level) {
        std::string error;
        auto rows = m_store.Best(level, kBestPerLevel, error, by);
        if (!rows) {
            m_storeLog.Failed("cannot read the results: " + error);
            return {503, kPageType, ScorePages::UnavailablePage(texts)};
        }
        best[level - 1] = std::move(*rows);
    }
    m_storeLog.Recovered("the database answers again");
    return {200, kPageType, ScorePages::ResultPage(best, texts)};
}

Reply ScoreServer::ReplayFile(int64_t id, ScoreStore::Clock::time_point by) {
    std::string error;
    std::optional<std::string> replay = m_store.Replay(id, error, by);
    if (!error.empty()) {
        m_storeLog.Failed("cannot read a replay: " + error);
        return {503, "text/plain; charset=utf-8", ""};
    }
    m_storeLog.Recovered("the database answers again");
    if (!replay) {
        return {404, "text/plain; charset=utf-8", ""};
    }
    return {200, kReplayType, *replay + "\n", "kirikaze-" + std::to_string(id) + ".kzreplay"};
}

std::optional<int64_t> ScoreServer::ReplayId(std::string_view target) {
    std::vector<QueryString::Field> fields = QueryString::Parse(QueryString::Of(target));
    if (fields.size() != 1 || fields[0].first != "id") {
        return std::nullopt;
    }
    const std::string& id = fields[0].second;
    if (id.empty() || id.size() > kMaxIdDigits ||
        id.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(id);
}

} // namespace scored
