#pragma once
// A game on the headless backend that talks to a score server on loopback:
// our real server, or one that answers whatever a test wants.
#include "shell_game.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <string>
#include <thread>

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

// An HTTP server on a free loopback port of its own, serving the routes a
// test gives it before Start.
struct LoopbackServer {
    void Start() {
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running()) {
            std::this_thread::yield();
        }
    }
    ~LoopbackServer() {
        server.stop();
        if (thread.joinable()) {
            thread.join();
        }
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
    httplib::Server server;
    int port = 0;
    std::thread thread;
};

} // namespace kztest
