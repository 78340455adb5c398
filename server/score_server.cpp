#include "server/score_server.h"

#include "server/query_string.h"
#include "server/score_pages.h"

#include <cstring>
#include <httplib.h>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace scored {
namespace {

constexpr const char* kAnswerType = "text/html; charset=Shift_JIS";
constexpr const char* kPageType = "text/html; charset=utf-8";

// The library's own socket options would let a second server share a busy
// port silently; plain address reuse only spares us the wait after a restart.
void ReuseAddressOnly(int sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

// The library says only that binding failed; a trial bind tells the player why.
std::string WhyBindFails(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) {
        return "unknown host " + host + " (" + gai_strerror(rc) + ")";
    }
    std::string reason = "cannot bind";
    for (addrinfo* a = found; a; a = a->ai_next) {
        int sock = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (sock < 0) {
            reason = std::strerror(errno);
            continue;
        }
        ReuseAddressOnly(sock);
        int bound = bind(sock, a->ai_addr, a->ai_addrlen);
        int err = errno;
        close(sock);
        if (bound == 0) {
            reason = "the address was taken meanwhile";
            continue;
        }
        reason = err == EADDRINUSE ? "the port is already in use (is another server running?)"
                 : err == EACCES   ? "permission denied (ports below 1024 need privileges)"
                                   : std::strerror(err);
        break;
    }
    freeaddrinfo(found);
    return reason;
}

std::vector<std::string> StoredLines(const Submission& s, const Standing& standing) {
    return {"記録しました。", std::string(ScorePages::LevelName(s.level)) + "で " +
                                  std::to_string(standing.total) + " 件中 " +
                                  std::to_string(standing.rank) + " 位です。"};
}

} // namespace

ScoreServer::ScoreServer(ScoreStore& store)
    : m_store(store), m_http(std::make_unique<httplib::Server>()) {
    m_http->set_socket_options(ReuseAddressOnly);
    // A reply goes out in two writes; without this the second waits for a
    // delayed acknowledgement, some 40 ms on every request.
    m_http->set_tcp_nodelay(true);
    auto send = [](httplib::Response& res, const Reply& reply) {
        res.status = reply.status;
        res.set_header("Cache-Control", "no-store");
        res.set_content(reply.body, reply.contentType.c_str());
    };
    m_http->Get(std::string(kSubmitPath),
                [this, send](const httplib::Request& req, httplib::Response& res) {
                    // The library answers HEAD through GET handlers; a HEAD must
                    // not store a result whose answer nobody reads.
                    if (req.method == "HEAD") {
                        res.status = 405;
                        res.set_header("Allow", "GET");
                        return;
                    }
                    send(res, Submit(QueryString::Of(req.target)));
                });
    m_http->Get(std::string(kResultPath), [this, send](const httplib::Request&,
                                                       httplib::Response& res) {
        res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
        send(res, Results());
    });
}

ScoreServer::~ScoreServer() {
    Stop();
}

bool ScoreServer::Bind(const std::string& host, int port, std::string& error) {
    if (port == 0) {
        m_port = m_http->bind_to_any_port(host);
    } else {
        m_port = m_http->bind_to_port(host, port) ? port : -1;
    }
    if (m_port <= 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " +
                WhyBindFails(host, port);
        return false;
    }
    return true;
}

bool ScoreServer::Run() {
    m_inRun = true;
    bool ok = m_stopping || m_http->listen_after_bind();
    m_finished = true;
    return ok;
}

void ScoreServer::Stop() {
    m_stopping = true;
    // A stop that comes while Run is still starting up waits for the loop, so
    // it is never lost.
    while (m_inRun && !m_finished && !m_http->is_running()) {
        std::this_thread::yield();
    }
    m_http->stop();
}

bool ScoreServer::IsRunning() const {
    return m_http->is_running();
}

Reply ScoreServer::Submit(std::string_view query) {
    std::variant<Submission, Refusal> checked = Submission::FromQuery(query);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        return {400, kAnswerType, ScorePages::Answer({"記録できませんでした。", refusal->reason})};
    }
    const Submission& submission = std::get<Submission>(checked);
    std::string error;
    std::optional<Standing> standing = m_store.Add(submission, error);
    if (!standing) {
        std::fprintf(stderr, "kirikaze-scored: cannot store a result: %s\n", error.c_str());
        return {503, kAnswerType,
                ScorePages::Answer(
                    {"記録できませんでした。",
                     "サーバーで保存できませんでした。時間をおいて送り直してください。"})};
    }
    return {200, kAnswerType, ScorePages::Answer(StoredLines(submission, *standing))};
}

Reply ScoreServer::Results() {
    std::array<std::vector<StoredResult>, 3> best;
    for (int level = 1; level <= 3; ++level) {
        auto rows = m_store.Best(level, kBestPerLevel);
        if (!rows) {
            return {503, kPageType, ScorePages::UnavailablePage()};
        }
        best[level - 1] = std::move(*rows);
    }
    return {200, kPageType, ScorePages::ResultPage(best)};
}

} // namespace scored
