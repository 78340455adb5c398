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

// From the menu into the duel of that item (1 easy, 2 normal, 3 hard), played
// to a real win as a quick player would: the first `mistakes` swings (at most
// three) go by, every other one is guarded 300 ms after it is heard, and the
// strike follows as soon as the chance opens. Ends when the win may be
// confirmed.
inline void PlayToWin(Game& game, int menuItem, int mistakes) {
    auto& window = *game.system.Window();
    for (int i = 0; i < menuItem; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    window.ReleaseKey(VK_SPACE);
    window.Tick();
    ASSERT_EQ(game.dlg->m_nScene, 2);
    const CSceenGame& duel = *game.dlg->m_pSceenGame;
    static const int kGuards[5] = {0, '7', '9', '1', '3'};
    int swingsLetBy = 0;
    int answered = -1; // the swing last answered, by when it was heard
    for (int frames = 0; frames < 20000 && !duel.m_bConfirmable; ++frames) {
        window.Tick();
        if (duel.m_nState != CSceenGame::kAttack || duel.SwingStart() == answered) {
            continue;
        }
        answered = duel.SwingStart();
        if (swingsLetBy < mistakes) {
            ++swingsLetBy;
            continue;
        }
        window.Tick();
        window.Tick();
        window.Tick();
        window.ReleaseKey(kGuards[duel.m_nPicture]);
        if (duel.m_nBlocksLeft < 0) {
            window.ReleaseKey(VK_SPACE);
        }
    }
    ASSERT_TRUE(duel.m_bConfirmable && duel.m_nState == CSceenGame::kWon);
    ASSERT_EQ(duel.m_nDamage, mistakes);
}

// The won duel confirmed; the next tick runs the submission.
inline void ConfirmWin(Game& game) {
    game.system.Window()->ReleaseKey(VK_SPACE);
    game.system.Window()->Tick();
}

inline void WinDuel(Game& game, int menuItem, int mistakes) {
    PlayToWin(game, menuItem, mistakes);
    ConfirmWin(game);
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
