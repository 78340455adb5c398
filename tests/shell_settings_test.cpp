#include "shell_game.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using kztest::Game;
using Step = platform::headless::HeadlessWindow::Step;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteSettings(const Game& game, const std::string& text) {
    std::filesystem::create_directories(game.SettingsFile().parent_path());
    std::ofstream(game.SettingsFile(), std::ios::binary) << text;
}

std::vector<Step> ChooseMenuItem(int item) {
    std::vector<Step> steps(static_cast<size_t>(item), Step::KeyUp(VK_DOWN));
    steps.push_back(Step::KeyUp(VK_SPACE));
    steps.push_back(Step::Tick());
    return steps;
}

TEST(Settings, HoweverTheGameEndsTheyAreWrittenExactlyOnce) {
    struct Case {
        const char* what;
        std::vector<Step> script;
        platform::WindowEnd reason;
    };
    const Case cases[] = {
        {"end item", ChooseMenuItem(6), platform::WindowEnd::Ended},
        {"update item", ChooseMenuItem(5), platform::WindowEnd::Quit},
        {"window closed", {Step::Tick(2), Step::CloseWindow()}, platform::WindowEnd::Closed},
        {"closed in a duel",
         {Step::KeyUp(VK_SPACE), Step::Tick(3), Step::CloseWindow()},
         platform::WindowEnd::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Game game;
        WriteSettings(game, "aria=大阪\r\nname=侍\r\nserver=http://scores.test\r\n");
        game.system.SetScript(c.script);
        game.Start();
        game.dlg->DoModal();
        EXPECT_EQ(game.system.Window()->EndReason(), c.reason);
        EXPECT_EQ(ReadFile(game.SettingsFile()), "aria=大阪\nname=侍\nserver=http://scores.test\n")
            << "rewritten, the server line kept";
        // Nothing writes them again afterwards.
        std::filesystem::remove(game.SettingsFile());
        game.dlg.reset();
        EXPECT_FALSE(std::filesystem::exists(game.SettingsFile()));
    }
}

TEST(Settings, JapaneseValuesChangedDuringARunAreKeptForTheNext) {
    Game game;
    WriteSettings(game, "rumble=0\naria=Secret\nname=old\n");
    auto& window = game.Start();
    EXPECT_EQ(game.dlg->m_reg.m_strArea, "Secret");
    EXPECT_EQ(game.dlg->m_reg.m_strName, "old");
    EXPECT_EQ(game.dlg->m_reg.m_strServer, "http://localhost:8765");
    // What the score dialog does when confirmed.
    game.dlg->m_reg.m_strArea = "北海道";
    game.dlg->m_reg.m_strName = "切風 太郎";
    window.ReleaseKey(VK_UP);
    window.Tick();
    window.Close();
    game.dlg->DoModal();
    EXPECT_EQ(ReadFile(game.SettingsFile()), "rumble=0\naria=北海道\nname=切風 太郎\n");

    // The next run reads them back.
    CKirikazeReg reg;
    reg.Load();
    EXPECT_EQ(reg.m_strArea, "北海道");
    EXPECT_EQ(reg.m_strName, "切風 太郎");
}

} // namespace
