#include "duel/duel_game.h"
#include "platform/shell.h"
#include "score_game.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace {

using kztest::Game;
using ui::WindowEnd;

// What follows a choice, on the next tick and not before, as the player
// notices it: the duel's footsteps or the tutorial's first words, the score
// table in the browser, a message, the end of the game; or, after Escape in a
// duel, the menu's title again.
TEST(Shell, EveryChoiceIsCarriedOutOnTheNextTick) {
    struct Case {
        int level; // 0: from the menu, with Down this often and Space; 2: Escape in a duel
        int downs;
        const char* heard;  // the first sound within 1.2 s of the tick
        const char* opened; // in the browser
        const char* box;
        const char* next; // the menu's voice for one more Down: it stayed
        bool ends;
    };
    const Case cases[] = {
        {0, 0, "\\sound\\text\\1", "", "", "", false},
        {0, 1, "\\sound\\asiato", "", "", "", false},
        {0, 2, "\\sound\\asiato", "", "", "", false},
        {0, 3, "\\sound\\asiato", "", "", "", false},
        {0, 4, "", "http://localhost:8765/game/kirikaze/GameResult.asp", "", "update", false},
        {0, 5, "", "", "アップデートプログラムが見つかりません。", "end", false},
        {0, 6, "", "", "", "", true},
        {2, 0, "\\sound\\maintitle", "", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.level << " " << c.downs);
        duel_test::DuelGame g(c.level);
        for (int i = 0; i < c.downs; ++i) {
            g.Key(VK_DOWN);
        }
        g.Key(c.level ? VK_ESCAPE : VK_SPACE);
        g.log.Clear();
        g.system.Speech().Clear();
        auto& launches = g.system.Launches().Launches();
        auto& boxes = g.system.MessageBoxes().Boxes();
        EXPECT_TRUE(launches.empty() && boxes.empty() && !g.window->Ending()) << "not before";
        g.Frame();
        EXPECT_EQ(g.window->Ending(), c.ends);
        if (c.ends) {
            EXPECT_EQ(g.window->EndReason(), WindowEnd::Ended);
            EXPECT_EQ(g.window->Result(), CKirikazeJDlg::IDOK);
            continue;
        }
        g.Frames(12);
        const auto started = g.log.Started();
        EXPECT_EQ(started.empty() ? "" : started[0], c.heard);
        ASSERT_EQ(launches.size(), *c.opened ? 1u : 0u);
        if (*c.opened) {
            EXPECT_TRUE(launches[0].url);
            EXPECT_EQ(launches[0].target, c.opened);
        }
        ASSERT_EQ(boxes.size(), *c.box ? 1u : 0u);
        if (*c.box) {
            EXPECT_EQ(boxes[0].text, c.box);
            EXPECT_EQ(boxes[0].caption, "kirikazeJ");
            EXPECT_EQ(g.system.Speech().Texts(), std::vector<std::string>{c.box});
        }
        if (*c.next) {
            g.log.Clear();
            g.Key(VK_DOWN);
            EXPECT_EQ(g.log.Started(),
                      std::vector<std::string>{std::string("\\sound\\menu\\") + c.next});
        }
    }
}

TEST(Shell, TheUpdaterBesideTheDataIsStartedAndTheGameQuits) {
    Game game;
    std::ofstream(std::filesystem::path(game.DataDir()) / "NetUpcall.exe") << "#!/bin/sh\n";
    auto& window = game.Start();
    for (int i = 0; i < 5; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    window.ReleaseKey(VK_SPACE);
    window.Tick();
    const auto& launches = game.system.Launches().Launches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_FALSE(launches[0].url);
    EXPECT_EQ(launches[0].target, game.DataDir() + "\\NetUpcall.exe");
    EXPECT_EQ(launches[0].args,
              (std::vector<std::string>{"/FILE=kirikazeJ", "/SERVER_PATH=kirikazeJ",
                                        "/APPTITLE=kirikazeJ"}));
    EXPECT_EQ(window.EndReason(), WindowEnd::Quit);
    EXPECT_EQ(window.Result(), 0);
}

TEST(Shell, TheScoreTableIsOnTheConfiguredScoreServer) {
    struct Case {
        const char* settings;
        const char* address;
        bool ownServer; // ours is started on this machine (where nothing answers)
    };
    const Case cases[] = {
        {"", "http://localhost:8765/game/kirikaze/GameResult.asp", true},
        {"server=https://scores.example.net\n",
         "https://scores.example.net/game/kirikaze/GameResult.asp", false},
        {"server=http://10.0.0.2:8080/\n", "http://10.0.0.2:8080/game/kirikaze/GameResult.asp",
         false},
        {"server=http://localhost:8766\n", "http://localhost:8766/game/kirikaze/GameResult.asp",
         false},
    };
    for (const Case& c : cases) {
        Game game;
        kztest::WriteSettings(game, c.settings);
        auto& window = game.Start();
        for (int i = 0; i < 4; ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        window.ReleaseKey(VK_RETURN);
        window.Tick();
        ASSERT_EQ(game.system.Launches().Launches().size(), 1u) << c.settings;
        EXPECT_EQ(game.system.Launches().Launches()[0].target, c.address);
        EXPECT_EQ(game.system.Launches().Served(),
                  c.ownServer ? std::vector<std::string>{"kirikaze-scored:8765"}
                              : std::vector<std::string>{});
        EXPECT_EQ(game.system.Launches().Serving(), c.ownServer);
        game.dlg->DestroyWindow();
        EXPECT_FALSE(game.system.Launches().Serving()) << "stopped when the game ends";
    }
}

} // namespace

namespace {

// A port nothing listens on, as far as one can tell.
uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool Answers(uint16_t port) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(1);
    auto res = client.Get("/game/kirikaze/GameResult.asp");
    return res && res->status == 200;
}

// The kirikaze-scored processes this one started.
std::vector<pid_t> OurServers() {
    std::vector<pid_t> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, comm, state;
        pid_t parent = 0;
        if (stat >> pid >> comm >> state >> parent && parent == getpid() &&
            comm == "(kirikaze-scored)") {
            pids.push_back(std::stoi(pid));
        }
    }
    return pids;
}

// The real launcher, with the real server built beside this program as it is
// installed beside the game.
TEST(Launcher, OurServerIsStartedOnlyWhereNothingAnswersAndStoppedWithTheGame) {
    platform::headless::HeadlessSystem system; // a data folder of its own
    setenv("XDG_DATA_HOME", system.ConfigHome().c_str(), 1);
    using Clock = std::chrono::steady_clock;
    {
        platform::PosixLauncher launcher;
        const uint16_t port = FreePort();
        ASSERT_TRUE(launcher.ServeLocally("kirikaze-scored", port));
        EXPECT_TRUE(Answers(port)) << "answering when the game goes on";
        ASSERT_EQ(OurServers().size(), 1u);
        EXPECT_TRUE(launcher.ServeLocally("kirikaze-scored", port));
        EXPECT_EQ(OurServers().size(), 1u) << "one is enough";
        const auto asked = Clock::now();
        launcher.StopServing();
        EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(1500)) << "asked, it stops";
        EXPECT_TRUE(OurServers().empty());
        EXPECT_FALSE(Answers(port));

        // A server that does not stop when asked is made to, and the game waits
        // no longer than its patience for it.
        ASSERT_TRUE(launcher.ServeLocally("kirikaze-scored", port));
        ASSERT_EQ(OurServers().size(), 1u);
        const pid_t stubborn = OurServers()[0];
        kill(stubborn, SIGSTOP);
        const auto stopped = Clock::now();
        launcher.StopServing();
        EXPECT_GT(Clock::now() - stopped, std::chrono::milliseconds(1500));
        EXPECT_LT(Clock::now() - stopped, std::chrono::seconds(5));
        EXPECT_TRUE(OurServers().empty());
        EXPECT_NE(kill(stubborn, 0), 0) << "killed and reaped";

        // Someone else's server on the port: ours is not started.
        {
            kztest::LoopbackServer theirs;
            theirs.Start();
            EXPECT_TRUE(launcher.ServeLocally("kirikaze-scored", theirs.port));
            EXPECT_TRUE(OurServers().empty());
        }
        EXPECT_FALSE(launcher.ServeLocally("kirikaze-nowhere", FreePort())) << "none beside";
        ASSERT_TRUE(launcher.ServeLocally("kirikaze-scored", port));
    }
    EXPECT_TRUE(OurServers().empty()) << "the launcher's end stops it too";
    unsetenv("XDG_DATA_HOME");
}

} // namespace
