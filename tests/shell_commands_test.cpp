#include "shell_game.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using kztest::Game;
using platform::WindowEnd;

enum class From { Menu, Duel };
enum class End { No, Ended, Quit };

struct CommandCase {
    From from;
    int command;     // menu: the item chosen with Down and Space; duel: the command set
    int scene;       // after the next tick
    int level;       // the duel's level when scene is 2
    bool scoreTable; // the browser was asked to open the score table
    bool updater;    // the updater was started
    End end;
};

TEST(Shell, EveryMenuAndDuelCommandIsCarriedOutOnTheNextTick) {
    const CommandCase cases[] = {
        {From::Menu, 0, 2, 1, false, false, End::No},
        {From::Menu, 1, 2, 2, false, false, End::No},
        {From::Menu, 2, 2, 3, false, false, End::No},
        {From::Menu, 3, 2, 4, false, false, End::No},
        {From::Menu, 4, 1, 0, true, false, End::No},
        {From::Menu, 5, 1, 0, false, true, End::Quit},
        {From::Menu, 6, 1, 0, false, false, End::Ended},
        {From::Duel, -1, 2, 2, false, false, End::No},
        {From::Duel, 0, 1, 0, false, false, End::No},
        {From::Duel, 1, 1, 0, false, false, End::No},
        {From::Duel, 2, 1, 0, false, false, End::No},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.from == From::Menu ? "menu " : "duel ") << c.command);
        Game game;
        if (c.updater) {
            std::ofstream(std::filesystem::path(game.DataDir()) / "NetUpcall.exe") << "#!/bin/sh\n";
        }
        auto& window = game.Start();
        CKirikazeJDlg& dlg = *game.dlg;
        // A duel is entered at easy, through the menu.
        for (int i = 0; i < (c.from == From::Menu ? c.command : 1); ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        window.ReleaseKey(VK_SPACE);
        CSceenMenu* menu = dlg.m_pSceenMenu;
        EXPECT_EQ(dlg.m_nScene, 1) << "nothing happens before the tick";
        EXPECT_TRUE(game.system.Launches().Launches().empty());
        if (c.from == From::Duel) {
            window.Tick();
            ASSERT_EQ(dlg.m_nScene, 2);
            dlg.m_pSceenGame->m_nCommand = c.command;
        }
        window.Tick();

        EXPECT_EQ(dlg.m_nScene, c.scene);
        EXPECT_EQ(dlg.m_pSceenMenu != nullptr, c.scene == 1);
        EXPECT_EQ(dlg.m_pSceenGame != nullptr, c.scene == 2);
        if (c.scene == 2) {
            EXPECT_EQ(dlg.m_pSceenGame->m_nLevel, c.level);
            EXPECT_EQ(dlg.m_pSceenGame->m_nCommand, -1);
        }
        if (c.from == From::Duel && c.scene == 1) {
            EXPECT_EQ(dlg.m_pSceenMenu->m_nSelect, 0) << "a new menu, on its first item";
        }
        if (c.scoreTable) {
            EXPECT_EQ(dlg.m_pSceenMenu, menu) << "the menu stays";
            EXPECT_EQ(dlg.m_pSceenMenu->m_nSelect, 4);
            EXPECT_EQ(dlg.m_pSceenMenu->m_nCommand, -1);
        }

        const auto& launches = game.system.Launches().Launches();
        ASSERT_EQ(launches.size(), (c.scoreTable || c.updater) ? 1u : 0u);
        if (c.scoreTable) {
            EXPECT_TRUE(launches[0].url);
            EXPECT_EQ(launches[0].target, "http://localhost:8765/game/kirikaze/GameResult.asp");
        }
        if (c.updater) {
            EXPECT_FALSE(launches[0].url);
            EXPECT_EQ(launches[0].target, game.DataDir() + "\\NetUpcall.exe");
            EXPECT_EQ(launches[0].parameters,
                      " /FILE=kirikazeJ /SERVER_PATH=kirikazeJ /APPTITLE=kirikazeJ");
            EXPECT_EQ(launches[0].args,
                      (std::vector<std::string>{"/FILE=kirikazeJ", "/SERVER_PATH=kirikazeJ",
                                                "/APPTITLE=kirikazeJ"}));
        }
        EXPECT_EQ(window.Ending(), c.end != End::No);
        if (c.end == End::Quit) {
            EXPECT_EQ(window.EndReason(), WindowEnd::Quit);
            EXPECT_EQ(window.Result(), 0);
        }
        if (c.end == End::Ended) {
            EXPECT_EQ(window.EndReason(), WindowEnd::Ended);
            EXPECT_EQ(window.Result(), CKirikazeJDlg::IDOK);
        }
    }
}

TEST(Shell, WithoutAnUpdaterTheGameSaysSoAndStaysInTheMenu) {
    Game game;
    auto& window = game.Start();
    for (int i = 0; i < 5; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    window.ReleaseKey(VK_SPACE);
    game.system.Speech().Clear();
    window.Tick();
    EXPECT_TRUE(game.system.Launches().Launches().empty());
    EXPECT_FALSE(window.Ending());
    ASSERT_EQ(game.dlg->m_nScene, 1);
    EXPECT_EQ(game.dlg->m_pSceenMenu->m_nSelect, 5);
    const auto& boxes = game.system.MessageBoxes().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "アップデートプログラムが見つかりません。");
    EXPECT_EQ(boxes[0].caption, "kirikazeJ");
    EXPECT_EQ(game.system.Speech().Texts(), std::vector<std::string>{boxes[0].text});
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
        std::filesystem::create_directories(game.SettingsFile().parent_path());
        std::ofstream(game.SettingsFile()) << c.settings;
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
