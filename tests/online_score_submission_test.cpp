// A won duel offered to the score server, end to end: the dialog worked by
// scripted keys, the request on loopback, the server's answer in the message
// box, the remembered area and name.
#include "platform/inet.h"
#include "score_game.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

namespace {

using kztest::Game;
using kztest::ServerSetting;
using kztest::WinDuel;
using kztest::WriteSettings;
using Step = platform::headless::HeadlessScoreDialogs::Step;

// Loopback answers at once; a test that waits longer than this has failed.
class ScoreSubmission : public testing::Test {
protected:
    void SetUp() override {
        platform::InetLimits quick;
        quick.connectTimeoutMs = 5000;
        quick.exchangeTimeoutMs = 10000;
        m_previous = platform::SetInetLimits(quick);
    }
    void TearDown() override { platform::SetInetLimits(m_previous); }

private:
    platform::InetLimits m_previous;
};

TEST_F(ScoreSubmission, TheServerStoresExactlyWhatWasTypedAndItsAnswerIsShown) {
    struct Case {
        std::vector<Step> script; // the name typed first
        int menuItem;             // 1 easy, 2 normal, 3 hard
        int mistakes;
        const char* storedName; // null: nothing sent, nothing remembered
        const char* storedArea;
        const char* levelName;
    };
    const Step send = Step::Key(VK_RETURN), tab = Step::Key(VK_TAB), j = Step::Key('J');
    const char* const sly = "x=1#2%3+4&name=evil";
    const Case cases[] = {
        {{Step::Type("山田太郎"), send}, 1, 0, "山田太郎", "Secret", "イージー"},
        {{Step::Type("A&B C"), tab, j, j, send}, 2, 3, "A&B C", "Japan", "ノーマル"},
        {{Step::Type(sly), tab, Step::Key(VK_END), send}, 3, 2, sly, "Zimbabwe", "ハード"},
        // Hangul has no CP932 code: each character arrives as "?", and is
        // remembered as typed.
        {{Step::Type("김철수 侍"), send}, 1, 1, "??? 侍", "Secret", "イージー"},
        {{Step::Type("小次郎"), Step::Key(VK_ESCAPE)}, 1, 0, nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedName ? c.storedName : "escape");
        server_test::TempDir dir;
        server_test::Scored server{dir.Path() + "/scores.db"};
        server.Start();
        Game game;
        WriteSettings(game, ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript(c.script);
        WinDuel(game, c.menuItem, c.mistakes);
        EXPECT_EQ(game.dlg->m_nScene, 1) << "back to a new menu";
        const auto& boxes = game.system.MessageBoxes().Boxes();
        if (!c.storedName) {
            EXPECT_EQ(server.Rows(), 0);
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(game.dlg->m_reg.m_strName, "");
            continue;
        }
        auto rows = server.Store().Best(c.menuItem, 10);
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), 1u);
        EXPECT_EQ((*rows)[0].name, c.storedName);
        EXPECT_EQ((*rows)[0].area, c.storedArea);
        EXPECT_EQ((*rows)[0].score, c.mistakes);

        const std::string answer =
            std::string("記録しました。\r\n") + c.levelName + "で 1 件中 1 位です。\r\n";
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, answer);
        EXPECT_EQ(game.system.Speech().Texts().back(), answer) << "the answer is said too";
        EXPECT_EQ(game.dlg->m_reg.m_strArea, c.storedArea);
        EXPECT_EQ(game.dlg->m_reg.m_strName, c.script[0].text) << "remembered as typed";
    }
}

TEST_F(ScoreSubmission, ConfirmingKeepsTheNewValuesEvenWhenTheServerIsDown) {
    Game game;
    // Nobody answers on the discard port.
    WriteSettings(game, "aria=Japan\nname=武蔵\nserver=http://127.0.0.1:9\n");
    game.Start();
    game.system.ScoreDialogs().AddScript(
        {Step::Type("小次郎"), Step::Key(VK_TAB), Step::Key(VK_DOWN), Step::Key(VK_RETURN)});
    WinDuel(game, 1, 0);

    const auto& boxes = game.system.MessageBoxes().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Err");
    EXPECT_TRUE(game.system.Launches().Served().empty()) << "not ours: left to itself";
    EXPECT_EQ(game.dlg->m_reg.m_strArea, "Jordan");
    EXPECT_EQ(game.dlg->m_reg.m_strName, "小次郎");
    // And they are what the next run starts with.
    game.dlg.reset();
    Game next;
    std::filesystem::create_directories(next.SettingsFile().parent_path());
    std::filesystem::copy_file(game.SettingsFile(), next.SettingsFile());
    next.Start();
    EXPECT_EQ(next.dlg->m_reg.m_strArea, "Jordan");
    EXPECT_EQ(next.dlg->m_reg.m_strName, "小次郎");
}

} // namespace
