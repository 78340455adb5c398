#pragma once
// Shared set-up of the score server tests: a server in this process on an
// ephemeral loopback port over a fresh database, an SQLite file in a
// temporary folder or a PostgreSQL database of its own.
#include "server/cp932.h"
#include "server/score_server.h"
#include "server/score_store.h"
#include "server/testing/scored_process.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <string>
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
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

inline std::string SubmitQuery(std::string_view area, std::string_view nameUtf8, int level,
                               int score) {
    return "aria=" + Encode(area) + "&name=" + Encode(scored::Cp932::FromUtf8(nameUtf8).value()) +
           "&mode=0&level=" + std::to_string(level) + "&score=" + std::to_string(score);
}

// An answer of the server as text: it speaks CP932.
inline std::string Utf8(const std::string& cp932Body) {
    return scored::Cp932::ToUtf8(cp932Body).value_or("<not CP932>");
}

// The target goes out byte for byte, as the test wrote it.
inline httplib::Result Get(int port, const std::string& target) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    client.set_url_encode(false);
    return client.Get(target.c_str());
}

enum class Backend { Sqlite, Postgres };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
}

// Debian's PostgreSQL, through the project's script: one cluster shared by
// the test processes running at once; every test gets a schema of its own.
class PostgresCluster {
public:
    static PostgresCluster& Get() {
        static PostgresCluster cluster;
        return cluster;
    }
    ~PostgresCluster() {
        if (!m_url.empty()) {
            scored::ScoredProcess::Run("/bin/bash", {m_script, "detach"});
        }
    }
    // A connection URL, or empty with the reason in why.
    std::string NewDatabase(std::string& why) {
        if (m_url.empty()) {
            why = m_why;
            return "";
        }
        char schema[64];
        std::snprintf(schema, sizeof schema, "t%d_%d", getpid(), ++m_schemas);
        PGconn* db = PQconnectdb(m_url.c_str());
        PQclear(PQexec(db, (std::string("CREATE SCHEMA ") + schema).c_str()));
        PQfinish(db);
        return m_url + "&options=-csearch_path%3D" + schema;
    }

private:
    PostgresCluster() {
        auto attached = scored::ScoredProcess::Run("/bin/bash", {m_script, "attach"}, 60000);
        if (attached.exitCode == 0 && attached.output.rfind("postgresql://", 0) == 0) {
            m_url = attached.output.substr(0, attached.output.find('\n'));
        } else {
            m_why = "PostgreSQL cannot be had here: " + attached.output;
        }
    }
    std::string m_script = KZ_SOURCE_DIR "/scripts/postgres-for-tests";
    std::string m_url;
    std::string m_why;
    std::atomic<int> m_schemas{0};
};

// A fresh, empty database of the backend; empty, with the reason in why,
// when the backend cannot be had.
inline std::string NewDatabase(Backend backend, const TempDir& dir, std::string& why) {
    static std::atomic<int> files{0};
    if (backend == Backend::Sqlite) {
        return dir.Path() + "/scores" + std::to_string(++files) + ".db";
    }
    return PostgresCluster::Get().NewDatabase(why);
}

// Runs SQL on a database behind the server's back.
inline bool ExecuteSql(const std::string& database, const char* sql) {
    if (scored::ScoreStore::IsPostgres(database)) {
        PGconn* db = PQconnectdb(database.c_str());
        PGresult* result = PQexec(db, sql);
        bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        PQfinish(db);
        return ok;
    }
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Results in a database, as another process sees them; -1 when unreadable.
inline int64_t StoredRows(const std::string& database) {
    std::string error;
    auto store = scored::ScoreStore::Open(database, error);
    return store ? store->Count().value_or(-1) : -1;
}

class InProcessServer {
public:
    explicit InProcessServer(std::string database = "") : m_database(std::move(database)) {}
    void UseDatabase(std::string database) { m_database = std::move(database); }
    ~InProcessServer() { Stop(); }

    // Opens the database and serves it on a free port.
    void Start() {
        std::string error;
        m_store = scored::ScoreStore::Open(m_database, error);
        ASSERT_TRUE(m_store) << error;
        m_server = std::make_unique<scored::ScoreServer>(*m_store);
        ASSERT_TRUE(m_server->Bind("127.0.0.1", 0, error)) << error;
        m_thread = std::thread([this] { m_server->Run(); });
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_server->IsRunning() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(m_server->IsRunning());
    }

    void Stop() {
        if (m_server) {
            m_server->Stop();
        }
        if (m_thread.joinable()) {
            m_thread.join();
        }
        m_server.reset();
        m_store.reset();
    }

    httplib::Result Get(const std::string& target) { return server_test::Get(Port(), target); }

    httplib::Result Submit(const std::string& query) {
        return Get(std::string(scored::ScoreServer::kSubmitPath) + "?" + query);
    }

    std::string ResultPage() {
        auto res = Get(std::string(scored::ScoreServer::kResultPath));
        return res ? res->body : std::string();
    }

    int Port() const { return m_server->Port(); }
    scored::ScoreStore& Store() { return *m_store; }
    int64_t Rows() { return m_store->Count().value_or(-1); }

private:
    std::string m_database;
    std::unique_ptr<scored::ScoreStore> m_store;
    std::unique_ptr<scored::ScoreServer> m_server;
    std::thread m_thread;
};

// Each test once with SQLite and once with PostgreSQL, which is skipped,
// saying why, where it cannot be had.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_database = Fresh();
        if (m_database.empty()) {
            GTEST_SKIP() << m_why;
        }
    }
    // Another fresh database of the same backend.
    std::string Fresh() { return NewDatabase(GetParam(), m_dir, m_why); }

    TempDir m_dir;
    std::string m_database;
    std::string m_why;
};

// A fresh server over a fresh database for each test.
class ScoreServerTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_server.UseDatabase(m_database);
        m_server.Start();
    }

    InProcessServer m_server;
};

} // namespace server_test
