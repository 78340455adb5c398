// A won duel offered to the score server, end to end: the dialog worked by
// scripted keys, the request on loopback, the server's answer in the message
// box, the remembered area and name.
#include "platform/headless/scripted_credentials.h"
#include "platform/inet.h"
#include "score_game.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

namespace {

using kztest::Game;
using kztest::RawScoreServer;
using kztest::ServerSetting;
using kztest::WinDuel;
using kztest::WriteSettings;
using Step = platform::headless::HeadlessScoreDialogs::Step;

constexpr int kComboArea = 1001;
constexpr int kEditName = 1002;

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

std::vector<Step> Join(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ScoreSubmission, TheServerStoresExactlyWhatWasTypedAndItsAnswerIsShown) {
    struct Case {
        const char* typed;
        std::vector<Step> chooseArea; // from the name field
        int menuItem;                 // 1 easy, 2 normal, 3 hard
        int mistakes;
        const char* storedName;
        const char* storedArea;
        const char* levelName;
        const char* remembered;
    };
    const Case cases[] = {
        {"山田太郎", {}, 1, 0, "山田太郎", "Secret", "イージー", "山田太郎"},
        {"A&B C",
         {Step::Key(VK_TAB), Step::Key('J'), Step::Key('J')},
         2,
         3,
         "A&B C",
         "Japan",
         "ノーマル",
         "A&B C"},
        {"x=1#2%3+4&name=evil",
         {Step::Key(VK_TAB), Step::Key(VK_END)},
         3,
         2,
         "x=1#2%3+4&name=evil",
         "Zimbabwe",
         "ハード",
         "x=1#2%3+4&name=evil"},
        // Hangul has no CP932 code: each character arrives as "?".
        {"김철수 侍", {}, 1, 1, "??? 侍", "Secret", "イージー", "김철수 侍"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        server_test::TempDir dir;
        server_test::InProcessServer server(dir.Path() + "/scores.db");
        server.Start();
        Game game;
        WriteSettings(game, ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript(
            Join(Join({Step::Type(c.typed)}, c.chooseArea), {Step::Key(VK_RETURN)}));
        WinDuel(game, c.menuItem, c.mistakes);

        auto rows = server.Store().Best(c.menuItem, 10);
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), 1u);
        EXPECT_EQ((*rows)[0].name, c.storedName);
        EXPECT_EQ((*rows)[0].area, c.storedArea);
        EXPECT_EQ((*rows)[0].score, c.mistakes);
        EXPECT_EQ(server.Rows(), 1);

        const std::string answer =
            std::string("記録しました。\r\n") + c.levelName + "で 1 件中 1 位です。\r\n";
        const auto& boxes = game.system.MessageBoxes().Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, answer);
        EXPECT_EQ(boxes[0].caption, "kirikazeJ");
        EXPECT_TRUE(boxes[0].owned);
        EXPECT_EQ(game.system.Speech().Said().back().text, answer) << "the answer is said too";

        EXPECT_EQ(game.dlg->m_reg.m_strArea, c.storedArea);
        EXPECT_EQ(game.dlg->m_reg.m_strName, c.remembered) << "remembered as typed";
        EXPECT_EQ(game.dlg->m_nScene, 1) << "back to a new menu";
    }
}

TEST_F(ScoreSubmission, TheQueryCarriesTheLevelTheMistakesAndEveryByteOfTheName) {
    struct Case {
        const char* remembered; // settings lines
        std::vector<Step> script;
        int menuItem;
        int mistakes;
        const char* target; // null: nothing sent
    };
    const Case cases[] = {
        {"",
         {Step::Type("A&B C"), Step::Key(VK_RETURN)},
         1,
         0,
         "/game/kirikaze/GameSet.asp?aria=Secret&name=A%26B%20C&mode=0&level=1&score=0"},
        {"aria=Antigua and Barbuda\nname=x=1#2%3+4\n",
         {Step::Key(VK_RETURN)},
         3,
         2,
         "/game/kirikaze/GameSet.asp?aria=Antigua%20and%20Barbuda&name=x%3D1%232%253%2B4"
         "&mode=0&level=3&score=2"},
        // 武 is 0x95 0x90 and 蔵 0x91 0xA0 in CP932.
        {"aria=Japan\nname=武蔵\n",
         {Step::Key(VK_RETURN)},
         2,
         12,
         "/game/kirikaze/GameSet.asp?aria=Japan&name=%95%90%91%A0&mode=0&level=2&score=12"},
        // Escape closes the dialog: nothing is sent, nothing remembered.
        {"aria=Japan\nname=武蔵\n", {Step::Type("小次郎"), Step::Key(VK_ESCAPE)}, 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.size());
        RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n");
        Game game;
        WriteSettings(game, c.remembered + ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript(c.script);
        WinDuel(game, c.menuItem, c.mistakes);
        EXPECT_EQ(server.Targets(), c.target ? std::vector<std::string>{c.target}
                                             : std::vector<std::string>{});
        if (!c.target) {
            EXPECT_EQ(game.dlg->m_reg.m_strName, "武蔵");
            EXPECT_TRUE(game.system.MessageBoxes().Boxes().empty());
        }
    }
}

TEST_F(ScoreSubmission, ConfirmingKeepsTheNewValuesEvenWhenTheServerIsDown) {
    int port = 0;
    {
        // A port that was just free and is closed again: nobody answers there.
        RawScoreServer gone("");
        port = gone.Port();
    }
    Game game;
    WriteSettings(game, "aria=Japan\nname=武蔵\n" + ServerSetting(port));
    game.Start();
    game.system.ScoreDialogs().AddScript(
        {Step::Type("小次郎"), Step::Key(VK_TAB), Step::Key(VK_DOWN), Step::Key(VK_RETURN)});
    WinDuel(game, 1, 0);

    const auto& boxes = game.system.MessageBoxes().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Err");
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

// A score server behind a password: the player is asked once, and the
// submission goes again with what he answered.
TEST_F(ScoreSubmission, AServerAskingForANameAndPasswordAsksThePlayerOnce) {
    RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n", "score room");
    Game game;
    platform::headless::ScriptedCredentials credentials;
    credentials.Answer("user", "pass");
    platform::Services services = game.system.Installed();
    services.credentials = &credentials;
    game.system.Reinstall(services);
    WriteSettings(game, ServerSetting(server.Port()));
    game.Start();
    game.system.ScoreDialogs().AddScript({Step::Type("武蔵"), Step::Key(VK_RETURN)});
    WinDuel(game, 1, 0);
    ASSERT_EQ(credentials.Questions().size(), 1u);
    EXPECT_EQ(credentials.Questions()[0].realm, "score room");
    EXPECT_EQ(server.Auths(), (std::vector<std::string>{"", "Basic dXNlcjpwYXNz"}));
    ASSERT_EQ(game.system.MessageBoxes().Boxes().size(), 1u);
    EXPECT_EQ(game.system.MessageBoxes().Boxes()[0].text, "ok\r\n");
}

} // namespace
