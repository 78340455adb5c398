#include "shell_game.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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

// Puts the game into a duel at level 2 (easy) through the menu.
void EnterDuel(platform::headless::HeadlessWindow& window) {
    window.ReleaseKey(VK_DOWN);
    window.ReleaseKey(VK_SPACE);
    window.Tick();
}

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
        {From::Duel, 7, 1, 0, false, false, End::No}, // any other command leaves like 0
        {From::Duel, -5, 2, 2, false, false, End::No},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.from == From::Menu ? "menu " : "duel ") << c.command);
        Game game;
        auto& window = game.Start();
        CKirikazeJDlg& dlg = *game.dlg;
        CSceenMenu* menu = nullptr;
        if (c.from == From::Menu) {
            for (int i = 0; i < c.command; ++i) {
                window.ReleaseKey(VK_DOWN);
            }
            window.ReleaseKey(VK_SPACE);
            menu = dlg.m_pSceenMenu;
            EXPECT_EQ(dlg.m_nScene, 1) << "nothing happens before the tick";
            EXPECT_TRUE(game.system.Launches().Launches().empty());
        } else {
            EnterDuel(window);
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

TEST(Shell, TheScoreTableIsOnTheConfiguredScoreServer) {
    struct Case {
        const char* settings;
        const char* address;
    };
    const Case cases[] = {
        {"", "http://localhost:8765/game/kirikaze/GameResult.asp"},
        {"server=https://scores.example.net\n",
         "https://scores.example.net/game/kirikaze/GameResult.asp"},
        {"server=http://10.0.0.2:8080/\n", "http://10.0.0.2:8080/game/kirikaze/GameResult.asp"},
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
    }
}

TEST(Shell, EscapeAndEnterNeverCloseTheWindow) {
    Game game;
    auto& window = game.Start();
    CKirikazeJDlg& dlg = *game.dlg;
    // In the menu Escape is an ordinary key: it chooses nothing.
    window.ReleaseKey(VK_DOWN);
    window.ReleaseKey(VK_ESCAPE);
    window.Ticks(3);
    EXPECT_FALSE(window.Ending());
    ASSERT_EQ(dlg.m_nScene, 1);
    EXPECT_EQ(dlg.m_pSceenMenu->m_nSelect, 1);
    EXPECT_TRUE(game.system.Launches().Launches().empty());

    // In the duel Enter does nothing and Escape leaves for the menu.
    window.ReleaseKey(VK_SPACE);
    window.Tick();
    ASSERT_EQ(dlg.m_nScene, 2);
    window.ReleaseKey(VK_RETURN);
    window.Ticks(2);
    EXPECT_EQ(dlg.m_nScene, 2);
    window.ReleaseKey(VK_ESCAPE);
    EXPECT_EQ(dlg.m_nScene, 2) << "acted on at the tick, not at the key";
    window.Tick();
    EXPECT_EQ(dlg.m_nScene, 1);
    EXPECT_FALSE(window.Ending());
}

TEST(Shell, KeysGoToTheCurrentSceneAndItIsRedrawn) {
    Game game;
    auto& window = game.Start();
    window.Pump();
    const int paintsBefore = window.PaintCount();
    auto& canvas = window.GetCanvas();
    for (int i = 0; i < 2; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    EXPECT_EQ(window.PaintCount(), paintsBefore + 2) << "one repaint per key";
    canvas.ClearTextLog();
    window.ReleaseKey(VK_UP);
    ASSERT_EQ(canvas.TextLog().size(), 7u);
    for (int i = 0; i < 7; ++i) {
        const auto& draw = canvas.TextLog()[i];
        EXPECT_EQ(draw.text, texts::kMenuItems[i]);
        EXPECT_EQ(draw.fg, i == 1 ? 0xFFFF00u : 0xFFFFFFu) << i;
        EXPECT_EQ(draw.bg, 0u);
        EXPECT_EQ(draw.x, 10);
        EXPECT_EQ(draw.y, 10 + 80 * i);
        EXPECT_EQ(draw.pixelHeight, 53) << "40 points";
        EXPECT_LE(draw.y + draw.extent.cy, 570) << "fits the window";
    }
}

TEST(Shell, TheWorkingFolderIsTheDataFolder) {
    struct Case {
        bool withSound;
        bool warned;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        Game game(c.withSound);
        testing::internal::CaptureStderr();
        game.Start();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(game.dlg->m_strDataDir, game.DataDir());
        EXPECT_EQ(game.dlg->m_nScene, 1) << "the game opens either way";
        if (c.warned) {
            EXPECT_NE(err.find(game.DataDir()), std::string::npos) << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        } else {
            EXPECT_EQ(err, "");
        }
    }
}

TEST(Shell, TheRandomGeneratorIsSeededFromTheTickCount) {
    for (const uint32_t start : {0u, 777u, 123456789u}) {
        std::srand(start);
        const int expected[3] = {std::rand(), std::rand(), std::rand()};
        std::srand(start + 1);
        Game game(true, start);
        game.Start();
        EXPECT_EQ(std::rand(), expected[0]) << start;
        EXPECT_EQ(std::rand(), expected[1]) << start;
        EXPECT_EQ(std::rand(), expected[2]) << start;
    }
}

TEST(Shell, WhileMinimisedOnlyTheIconIsPainted) {
    Game game;
    auto& window = game.Start();
    window.Pump();
    EXPECT_EQ(window.Layout().width, 732);
    EXPECT_EQ(window.Layout().height, 570);
    EXPECT_EQ(window.Layout().caption, "キリカゼ");
    EXPECT_EQ(window.Layout().icon.width, 32);

    auto& canvas = window.GetCanvas();
    canvas.ClearTextLog();
    window.SetMinimized(true);
    EXPECT_TRUE(canvas.TextLog().empty()) << "the scene is not drawn";
    const platform::PixelImage& icon = window.Layout().icon;
    const int x = (732 - 32 + 1) / 2;
    const int y = (570 - 32 + 1) / 2;
    int same = 0;
    for (int iy = 0; iy < 32; ++iy) {
        for (int ix = 0; ix < 32; ++ix) {
            same += canvas.ColorAt(x + ix, y + iy) == (icon.At(ix, iy) & 0xFFFFFFu);
        }
    }
    EXPECT_EQ(same, 32 * 32) << "the icon, centred";
    EXPECT_NE(canvas.ColorAt(0, 0), 0u);

    window.SetMinimized(false);
    EXPECT_EQ(canvas.TextLog().size(), 7u) << "restored: the menu again";
    EXPECT_EQ(canvas.ColorAt(x, y), 0u);
}

TEST(Shell, NestedTicksNeverChangeTheSceneWhoseHandlerIsRunning) {
    // A modal box opened inside the menu's key handler (after it has set its
    // command) keeps the ticks coming: they must leave the menu alone.
    Game game;
    auto& window = game.Start();
    CKirikazeJDlg& dlg = *game.dlg;
    CSceenMenu* menu = dlg.m_pSceenMenu;
    window.ReleaseKey(VK_DOWN);
    bool nested = false;
    window.OnNextRepaintRequest([&] {
        nested = true;
        window.Ticks(3);
        EXPECT_EQ(dlg.m_nScene, 1);
        EXPECT_EQ(dlg.m_pSceenMenu, menu) << "still the menu whose handler runs";
        EXPECT_EQ(menu->m_nCommand, 1) << "the command waits for a tick of its own";
    });
    window.ReleaseKey(VK_SPACE);
    ASSERT_TRUE(nested);
    window.Tick();
    EXPECT_EQ(dlg.m_nScene, 2) << "acted on at the next ordinary tick";
    EXPECT_EQ(dlg.m_pSceenGame->m_nLevel, 2);
}

TEST(Shell, NestedTicksInsideTheFrameKeepTheDuelButActOnNoCommand) {
    // A modal window opened by the frame itself (as the score dialog will be)
    // keeps the duel running; a command it sets is acted on afterwards.
    Game game;
    auto& window = game.Start();
    CKirikazeJDlg& dlg = *game.dlg;
    window.ReleaseKey(VK_SPACE);
    CSceenGame* duel = nullptr;
    window.OnNextRepaintRequest([&] {
        duel = dlg.m_pSceenGame;
        ASSERT_NE(duel, nullptr);
        duel->m_nCommand = 0;
        window.Ticks(2);
        window.ReleaseKey(VK_ESCAPE);
        EXPECT_EQ(dlg.m_pSceenGame, duel) << "not released while the frame runs";
        EXPECT_EQ(duel->m_nCommand, 0);
    });
    window.Tick(); // the menu's command: change to the duel, which asks for a paint
    ASSERT_NE(duel, nullptr);
    EXPECT_EQ(dlg.m_nScene, 2);
    window.Tick();
    EXPECT_EQ(dlg.m_nScene, 1);
}

} // namespace
