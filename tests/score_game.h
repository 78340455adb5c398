#pragma once
// A game on the headless backend that talks to a score server on loopback:
// our real server, or a raw one that answers whatever a test wants.
#include "platform/text_encoding.h"
#include "shell_game.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kztest {

inline void WriteSettings(const Game& game, const std::string& text) {
    std::filesystem::create_directories(game.SettingsFile().parent_path());
    std::ofstream(game.SettingsFile(), std::ios::binary) << text;
}

inline std::string ServerSetting(int port) {
    return "server=http://127.0.0.1:" + std::to_string(port) + "\n";
}

// From the menu into the duel of that item (1 easy, 2 normal, 3 hard); the
// duel is then won with that many mistakes and confirmed, and the next tick
// runs the submission.
inline void WinDuel(Game& game, int menuItem, int mistakes) {
    auto& window = *game.system.Window();
    for (int i = 0; i < menuItem; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    window.ReleaseKey(VK_SPACE);
    window.Tick();
    ASSERT_EQ(game.dlg->m_nScene, 2);
    game.dlg->m_pSceenGame->m_nDamage = mistakes;
    game.dlg->m_pSceenGame->m_nCommand = 2;
    window.Tick();
}

// Answers the submit path with a fixed body (written here in UTF-8, sent in
// CP932 as the score server speaks) and keeps the Authorization of every
// request; with a realm, a request without one is answered 401.
class RawScoreServer {
public:
    explicit RawScoreServer(const std::string& body, std::string realm = "")
        : m_body(platform::Cp932FromUtf8(body)) {
        m_server.Get("/game/kirikaze/GameSet.asp",
                     [this, realm](const httplib::Request& req, httplib::Response& res) {
                         const std::string auth = req.get_header_value("Authorization");
                         {
                             std::lock_guard<std::mutex> lock(m_lock);
                             m_auths.push_back(auth);
                         }
                         if (!realm.empty() && auth.empty()) {
                             res.status = 401;
                             res.set_header("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
                             return;
                         }
                         res.set_content(m_body, "text/html");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(m_server.is_running());
    }
    ~RawScoreServer() {
        m_server.stop();
        m_thread.join();
    }

    int Port() const { return m_port; }
    std::vector<std::string> Auths() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_auths;
    }

private:
    httplib::Server m_server;
    std::string m_body;
    int m_port = 0;
    std::mutex m_lock;
    std::vector<std::string> m_auths;
    std::thread m_thread;
};

} // namespace kztest
