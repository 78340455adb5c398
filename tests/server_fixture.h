#pragma once
// Shared set-up of the score server tests: a server in this process on an
// ephemeral loopback port over a database in a fresh temporary folder.
#include "server/cp932.h"
#include "server/score_server.h"
#include "server/score_store.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <string>
#include <thread>
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

class InProcessServer {
public:
    explicit InProcessServer(std::string database) : m_database(std::move(database)) {}
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

// A fresh server over a fresh database for each test.
class ScoreServerTest : public ::testing::Test {
protected:
    void SetUp() override { m_server.Start(); }

    TempDir m_dir;
    InProcessServer m_server{m_dir.Path() + "/scores.db"};
};

} // namespace server_test
