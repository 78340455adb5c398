// A won duel offered to the score server, end to end: the dialog worked by
// scripted keys, the request on loopback, the server's answer in the message
// box, the remembered area and name.
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
        // A tab is no part of a name.
        {"  blank  and  tab\t",
         {},
         1,
         9,
         "  blank  and  tab",
         "Secret",
         "イージー",
         "  blank  and  tab"},
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
        const char* target;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n");
        Game game;
        WriteSettings(game, c.remembered + ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript(c.script);
        WinDuel(game, c.menuItem, c.mistakes);
        EXPECT_EQ(server.Targets(), std::vector<std::string>{c.target});
    }
}

TEST_F(ScoreSubmission, ClosingTheDialogSendsNothingAndKeepsTheRememberedValues) {
    struct Case {
        const char* how;
        std::vector<Step> script;
    };
    const Case cases[] = {
        {"Escape", {Step::Type("新しい名前"), Step::Key(VK_ESCAPE)}},
        {"閉じる by Enter",
         {Step::Type("新しい名前"), Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_TAB),
          Step::Key(VK_RETURN)}},
        {"閉じる by Space", {Step::Key(VK_TAB, {true, false, false}), Step::Key(VK_SPACE)}},
        {"閉じる clicked", {Step::Type("新しい名前"), Step::Click(2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n");
        Game game;
        WriteSettings(game, "aria=Japan\nname=武蔵\n" + ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript(c.script);
        WinDuel(game, 1, 0);

        ASSERT_EQ(game.system.ScoreDialogs().Dialogs().size(), 1u);
        EXPECT_FALSE(game.system.ScoreDialogs().Dialogs()[0].scriptRanOut);
        EXPECT_EQ(game.system.ScoreDialogs().Dialogs()[0].result, 2);
        EXPECT_TRUE(server.Targets().empty()) << "nothing sent";
        EXPECT_TRUE(game.system.MessageBoxes().Boxes().empty()) << "nothing shown";
        EXPECT_EQ(game.dlg->m_reg.m_strArea, "Japan");
        EXPECT_EQ(game.dlg->m_reg.m_strName, "武蔵");
        EXPECT_EQ(game.dlg->m_nScene, 1);
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

TEST_F(ScoreSubmission, OnlyTheLinesBetweenTheMarkersAreShown) {
    struct Case {
        const char* what;
        std::string body;
        int status;
        const char* shown;
    };
    const Case cases[] = {
        {"no markers", "<html><body>記録しました。</body></html>\r\n", 200, "Err"},
        {"start marker at the start of its line",
         "DATA_START\r\n記録しました。\r\n<!-- DATA_END -->\r\n", 200, "Err"},
        {"the five lines", "xDATA_START\r\n  一<P>二  \r\n   \r\nxDATA_END\r\n三\r\n", 200,
         "一\n二\r\n"},
        {"no end marker", "<!-- DATA_START -->\r\none\r\n\r\ntwo\r\n", 200, "one\r\ntwo\r\n"},
        {"only blanks inside", "<!-- DATA_START -->\r\n \t \r\n<!-- DATA_END -->\r\n", 200, "Err"},
        {"an end marker at the start of its line is text",
         "<!-- DATA_START -->\r\nA\r\nDATA_END\r\nB\r\n<!-- DATA_END -->\r\nC\r\n", 200,
         "A\r\nDATA_END\r\nB\r\n"},
        {"a second start marker", "xDATA_START\r\nA\r\nyDATA_START\r\nB\r\nxDATA_END\r\n", 200,
         "A\r\nB\r\n"},
        {"an error page with a message", "<!-- DATA_START -->\r\n混雑中です。\r\n<!-- DATA_END -->",
         503, "混雑中です。\r\n"},
        {"lowercase <p> stays", "<!-- DATA_START -->\r\na<p>b\r\n<!-- DATA_END -->\r\n", 200,
         "a<p>b\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawScoreServer server(c.body, c.status);
        Game game;
        WriteSettings(game, ServerSetting(server.Port()));
        game.Start();
        game.system.ScoreDialogs().AddScript({Step::Key(VK_RETURN)});
        WinDuel(game, 1, 0);
        ASSERT_EQ(server.Targets().size(), 1u);
        const auto& boxes = game.system.MessageBoxes().Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.shown);
    }
}

TEST_F(ScoreSubmission, TheRememberedAreaIsChosenOnlyWhenItIsInTheListExactly) {
    struct Case {
        const char* remembered;
        int selected;
        const char* shownInField; // "" when the field is empty
        const char* sent;         // the area the server gets in the end
    };
    const Case cases[] = {
        {"", 0, "Secret", "Secret"},  {"Japan", 84, "Japan", "Japan"},
        {"japan", -1, "", "Secret"},  {"Atlantis", -1, "", "Secret"},
        {" Japan", -1, "", "Secret"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered);
        RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n");
        Game game;
        WriteSettings(game, std::string("aria=") + c.remembered + "\nname=侍\n" +
                                ServerSetting(server.Port()));
        game.Start();
        int selectedAtOpen = -2;
        std::string fieldAtOpen = "?";
        std::vector<Step> script = {Step::Run([&](ui::DialogForm& form) {
                                        selectedAtOpen = form.GetCurSel(kComboArea);
                                        fieldAtOpen = form.GetWindowText(kComboArea);
                                    }),
                                    Step::Key(VK_RETURN)};
        if (c.selected < 0) {
            // 送信 without an area keeps the dialog open on the list; the
            // first entry is one arrow away.
            script.push_back(Step::Run([](ui::DialogForm& form) {
                EXPECT_FALSE(form.Ended());
                EXPECT_EQ(form.GetFocus(), kComboArea);
            }));
            script.push_back(Step::Key(VK_DOWN));
            script.push_back(Step::Key(VK_RETURN));
        }
        game.system.ScoreDialogs().AddScript(script);
        WinDuel(game, 1, 0);

        EXPECT_EQ(selectedAtOpen, c.selected);
        EXPECT_EQ(fieldAtOpen, c.shownInField);
        const auto& shown = game.system.ScoreDialogs().Dialogs();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "ネットに記録しますか?");
        EXPECT_EQ(shown[0].focusAtOpen, kEditName);
        int drawnArea = 0;
        for (const auto& text : shown[0].atOpen) {
            drawnArea += text.text == c.shownInField;
        }
        EXPECT_EQ(drawnArea, c.selected < 0 ? 0 : 1) << "what the closed list shows";

        const auto& boxes = game.system.MessageBoxes().Boxes();
        ASSERT_EQ(boxes.size(), c.selected < 0 ? 2u : 1u);
        if (c.selected < 0) {
            EXPECT_EQ(boxes[0].text, "地域を選んでください。");
            EXPECT_TRUE(boxes[0].owned);
        }
        ASSERT_EQ(server.Targets().size(), 1u) << "sent once, with an area";
        EXPECT_NE(server.Targets()[0].find(std::string("?aria=") + c.sent + "&"), std::string::npos)
            << server.Targets()[0];
        EXPECT_EQ(game.dlg->m_reg.m_strArea, c.sent);
    }
}

TEST_F(ScoreSubmission, WhileTheDialogIsOpenTheDuelGetsItsTicksButNoKeys) {
    RawScoreServer server("<!-- DATA_START -->\r\nok\r\n<!-- DATA_END -->\r\n");
    Game game;
    WriteSettings(game, ServerSetting(server.Port()));
    game.Start();
    auto& window = *game.system.Window();
    CSceenGame* duel = nullptr;
    int ticksBefore = 0;
    game.system.ScoreDialogs().AddScript({
        Step::Run([&](ui::DialogForm&) {
            duel = game.dlg->m_pSceenGame;
            ticksBefore = window.TickCount();
        }),
        Step::Ticks(5),
        // Keys a duel would act on: Escape leaves it, Space strikes.
        Step::Key(VK_TAB),
        Step::Key(VK_F4),
        Step::Key(VK_ESCAPE), // closes the open list only
        Step::Key(VK_SPACE),
        Step::Ticks(3),
        Step::Run([&](ui::DialogForm& form) {
            EXPECT_FALSE(form.Ended());
            EXPECT_EQ(window.TickCount(), ticksBefore + 8) << "every tick reached the window";
            EXPECT_EQ(game.dlg->m_nScene, 2);
            EXPECT_EQ(game.dlg->m_pSceenGame, duel) << "the won duel stays behind the dialog";
            EXPECT_EQ(duel->m_nCommand, -1) << "no key reached it";
        }),
        Step::Key(VK_RETURN),
    });
    WinDuel(game, 1, 0);
    ASSERT_NE(duel, nullptr);
    EXPECT_EQ(server.Targets().size(), 1u);
    EXPECT_EQ(game.dlg->m_nScene, 1);
}

TEST_F(ScoreSubmission, TheDialogSaysEveryFocusChangeTheAreaAndWhatIsTyped) {
    RawScoreServer server("<!-- DATA_START -->\r\n記録しました。\r\n<!-- DATA_END -->\r\n");
    Game game;
    WriteSettings(game, "aria=Japan\nname=武蔵\n" + ServerSetting(server.Port()));
    game.Start();
    game.system.ScoreDialogs().AddScript({
        Step::Type("小"),
        Step::Type("次郎"),
        Step::Key(VK_BACK),
        Step::Key(VK_TAB),
        Step::Key(VK_DOWN),
        Step::Key(VK_TAB),
        Step::Key(VK_TAB, {true, false, false}),
        Step::Key(VK_RETURN),
    });
    auto& speech = game.system.Speech();
    speech.Clear();
    WinDuel(game, 1, 0);
    EXPECT_EQ(speech.Texts(), (std::vector<std::string>{
                                  "ネットに記録しますか?",
                                  "名前 エディット 武蔵",
                                  "小",
                                  "次郎",
                                  "郎",
                                  "地域 コンボボックス Japan",
                                  "Jordan",
                                  "送信 ボタン",
                                  "地域 コンボボックス Jordan",
                                  "記録しました。\r\n",
                              }));
    EXPECT_FALSE(speech.Said()[1].interrupt) << "the field waits for the title";
    EXPECT_TRUE(speech.Said()[5].interrupt) << "a focus change cuts off what was said";
    EXPECT_EQ(game.dlg->m_reg.m_strName, "小次");
}

} // namespace
