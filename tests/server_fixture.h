#pragma once
// The score server under test: the real binary on an ephemeral loopback port
// over a fresh database, an SQLite file in a temporary folder or a PostgreSQL
// schema of its own; and raw TCP for what an HTTP library would not send:
// endless lines, dripping heads, a chosen loopback source address.
#include "server/cp932.h"
#include "server/score_server.h"
#include "server/score_store.h"
#include "server/testing/scored_process.h"
#include "server/testing/sql_script.h"
#include "tests/duel/replay_player.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace server_test {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/kz-scored-test-XXXXXX";
        m_path = mkdtemp(pattern) ? pattern : "";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Percent-encodes every byte but letters and digits, as the game does.
inline std::string Encode(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, std::isalnum(c) ? "%c" : "%%%02X", c);
        out += hex;
    }
    return out;
}

// A duel of its own: the server takes each duel (its level and seed) once.
inline duel::Replay Won(int level, int score, int firstGuardMs = 0) {
    static std::atomic<uint32_t> seeds{1};
    return duel_test::ReplayPlayer{level, seeds++, score, firstGuardMs}.Play();
}

// A won duel's submission, with its replay.
inline std::string SubmitQuery(std::string_view area, std::string_view nameUtf8, int level,
                               int score) {
    return "aria=" + Encode(area) + "&name=" + Encode(scored::Cp932::FromUtf8(nameUtf8).value()) +
           "&mode=0&level=" + std::to_string(level) + "&score=" + std::to_string(score) +
           "&replay=" + Won(level, score).Text();
}

// An answer of the server as text: it speaks CP932.
inline std::string Utf8(const std::string& cp932Body) {
    return scored::Cp932::ToUtf8(cp932Body).value_or("<not CP932>");
}

// The target goes out byte for byte, as the test wrote it.
inline httplib::Result Get(int port, const std::string& target, int seconds = 10) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(seconds);
    client.set_url_encode(false);
    return client.Get(target.c_str());
}

enum class Backend { Sqlite, Postgres };

// A PostgreSQL of the test process's own, through the project's script; it
// can be stopped dead (SIGSTOP) as a hung machine would be, and is removed
// however the test ends. Every database asked of it is a schema of its own.
class PostgresCluster {
public:
    PostgresCluster() {
        chmod(m_dir.Path().c_str(), 0755); // it runs as another user
        auto started = Script("start", 60000);
        url = started.exitCode == 0 ? started.output.substr(0, started.output.find('\n')) : "";
        why = "PostgreSQL cannot be had here: " + started.output;
    }
    ~PostgresCluster() { Script("stop"); }
    void Freeze(bool frozen) { Script(frozen ? "freeze" : "thaw"); }
    std::string NewDatabase() {
        const std::string schema = "t" + std::to_string(++m_schemas);
        scored::SqlScript::Run(url, "CREATE SCHEMA " + schema);
        return url + "&options=-csearch_path%3D" + schema;
    }
    std::string url;
    std::string why;

private:
    scored::ScoredProcess::Finished Script(const char* command, int timeoutMs = 10000) {
        return scored::ScoredProcess::Run(
            "/bin/bash",
            {KZ_SOURCE_DIR "/scripts/postgres-for-tests", command, m_dir.Path() + "/pg"},
            timeoutMs);
    }
    TempDir m_dir;
    std::atomic<int> m_schemas{0};
};

// The real binary over a database, answering on a free port.
struct Scored {
    Scored() : db(dir.Path() + "/scores.db") {}
    explicit Scored(std::string database) : db(std::move(database)) {}
    TempDir dir; // an SQLite file's, unless given another database
    std::string db;
    scored::ScoredProcess process;
    std::unique_ptr<scored::ScoreStore> store;

    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", db};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string error;
        ASSERT_TRUE(process.Start(KZ_SCORED_PATH, args, error)) << error;
    }
    int Port() const { return process.Port(); }
    httplib::Result Get(const std::string& target) { return server_test::Get(Port(), target); }
    httplib::Result Submit(const std::string& query) {
        return Get(std::string(scored::ScoreServer::kSubmitPath) + "?" + query);
    }
    std::string ResultPage() {
        auto res = Get(std::string(scored::ScoreServer::kResultPath));
        return res ? res->body : std::string();
    }
    // The database as another process sees it.
    scored::ScoreStore& Store() {
        std::string error;
        return *(store ? store : store = scored::ScoreStore::Open(db, error));
    }
    // Results in the database as another process sees them.
    int64_t Rows() { return Store().Count().value_or(-1); }
};

// Each test once with SQLite and once with PostgreSQL, which is skipped,
// saying why, where it cannot be had; a fresh database, and a server over it
// unless the test runs its own.
class ScoreServerTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_server.db = Fresh();
        if (m_server.db.empty()) {
            GTEST_SKIP() << m_why;
        }
        m_server.Start();
    }
    // Another fresh, empty database of the same backend; empty, with the
    // reason in m_why, when the backend cannot be had.
    std::string Fresh() {
        static std::atomic<int> files{0};
        if (GetParam() == Backend::Sqlite) {
            return m_dir.Path() + "/scores" + std::to_string(++files) + ".db";
        }
        static PostgresCluster cluster;
        m_why = cluster.why;
        return cluster.url.empty() ? "" : cluster.NewDatabase();
    }

    TempDir m_dir;
    std::string m_why;
    Scored m_server;
};

// A connection to 127.0.0.1:port, from the loopback address `from` when
// given (every 127.x.y.z is this machine), or -1. A narrow one is a client
// on a real network: Ethernet's segments, and a receive buffer of 1 KiB
// that fills at once when it reads nothing.
inline int Connect(int port, const char* from = nullptr, bool narrow = false) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int buffer = 1024;
    int segment = 1448;
    if (narrow) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        setsockopt(fd, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (from && (inet_pton(AF_INET, from, &addr.sin_addr) != 1 ||
                 bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)) {
        close(fd);
        return -1;
    }
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

// Reads one answer: until its head and Content-Length bytes of body are
// in, the connection ends, or nothing comes for timeoutMs.
inline std::string ReadAll(int fd, int timeoutMs) {
    std::string got;
    char buffer[8192];
    ssize_t n;
    while (Readable(fd, timeoutMs) && (n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        got.append(buffer, static_cast<size_t>(n));
        size_t head = got.find("\r\n\r\n");
        size_t length = got.find("Content-Length: ");
        if (head != std::string::npos && length < head &&
            got.size() >= head + 4 + std::strtoul(got.c_str() + length + 16, nullptr, 10)) {
            break;
        }
    }
    return got;
}

// Whether the server ends the connection within timeoutMs, whatever it
// sends before.
inline bool HangsUp(int fd, int timeoutMs) {
    char buffer[8192];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline && Readable(fd, timeoutMs)) {
        if (recv(fd, buffer, sizeof buffer, 0) <= 0) {
            return true;
        }
    }
    return false;
}

// The status of an HTTP answer, 0 when there is none.
inline int StatusOf(const std::string& answer) {
    return answer.rfind("HTTP/1.", 0) == 0 && answer.size() > 12 ? std::atoi(answer.c_str() + 9)
                                                                 : 0;
}

// The status of the answer to a request on a connection, 0 on failure.
inline int Ask(int fd, const std::string& request) {
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    return StatusOf(ReadAll(fd, 10000));
}

// The same on a connection of its own.
inline int Exchange(int port, const std::string& request, const char* from = nullptr) {
    int fd = Connect(port, from);
    const int status = Ask(fd, request);
    close(fd);
    return status;
}

// Runs job(0) … job(count - 1) at once, each on a thread of its own.
inline void AtOnce(int count, const std::function<void(int)>& job) {
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back(job, i);
    }
    for (auto& thread : threads) {
        thread.join();
    }
}

// The most memory a process has held so far, in MiB.
inline double PeakMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    double kib = -1024;
    while (status >> word && word != "VmHWM:") {
    }
    status >> kib;
    return kib / 1024;
}

} // namespace server_test
