// The English edition: how the language is chosen, and the menu, the
// tutorial, the duel and its score heard and seen in English.
#include "duel/duel_game.h"
#include "platform/font.h"
#include "resources/texts_en.h"
#include "score_game.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

using Step = platform::headless::HeadlessScoreDialogs::Step;

TEST(English, TheSettingOverridesTheLocaleAndNoLocaleMeansJapanese) {
    // The settings file's lang line ("" for none), LC_ALL, LC_MESSAGES, LANG
    // and the window's caption.
    struct Case {
        const char *setting, *lcAll, *lcMessages, *lang, *caption;
    } cases[] = {
        {"", "", "", "", "キリカゼ"},
        {"", "", "", "ja_JP.UTF-8", "キリカゼ"},
        {"", "", "", "en_GB.UTF-8", "Kirikaze"},
        {"", "", "", "C.UTF-8", "Kirikaze"},
        {"", "ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "キリカゼ"},
        {"", "", "de_DE.UTF-8", "ja_JP.UTF-8", "Kirikaze"},
        {"ja", "", "", "en_US.UTF-8", "キリカゼ"},
        {"en", "ja_JP.UTF-8", "", "", "Kirikaze"},
        {"fr", "", "", "", "キリカゼ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + "|" + c.lcAll + "|" + c.lcMessages + "|" + c.lang);
        kztest::Game game;
        kztest::WriteSettings(game, *c.setting ? "lang=" + std::string(c.setting) : "");
        setenv("LC_ALL", c.lcAll, 1);
        setenv("LC_MESSAGES", c.lcMessages, 1);
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(game.Start().Layout().caption, c.caption);
    }
}

// The generated pack's scenes, started anew in English (the language is
// settled as the game starts): 1 the menu, 2 the duel at that level.
duel_test::DuelGame& InEnglish(duel_test::DuelGame& g, int scene, int level = 1,
                               text::Language language = text::Language::English) {
    g.dlg->m_language = language;
    std::srand(1);
    g.log.Clear();
    g.window->GetCanvas().ClearTextLog();
    g.dlg->ChangeScene(scene, level - 1);
    return g;
}

TEST(English, TheMenuIsDrawnAndSpokenInEnglish) {
    duel_test::DuelGame g(2);
    InEnglish(g, 1);
    g.Key(VK_DOWN);
    // The title and the items speak English over the one music.
    EXPECT_EQ(g.log.Started(),
              (std::vector<std::string>{"\\en\\sound\\maintitle", "\\sound\\opning",
                                        "\\en\\sound\\menu\\easy"}));
    const auto& drawn = g.window->GetCanvas().TextLog();
    ASSERT_GE(drawn.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        const auto& draw = drawn[drawn.size() - 7 + i];
        EXPECT_EQ(draw.text, texts::en::kMenuItems[i]);
        EXPECT_EQ(draw.fg, i == 1 ? 0xFFFF00u : 0xFFFFFFu) << i;
    }
}

TEST(English, ATutorialStepShowsItsLinesAndSpeaksThemInEnglish) {
    duel_test::DuelGame g(1);
    InEnglish(g, 2, 1);
    // Step 5 (the key for upper left) is spoken 27 s in, after five narrations
    // and one swing.
    g.Frames(275);
    EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"Press 7 or A."});
    EXPECT_TRUE(duel_test::Contains(g.log.Started(), "\\en\\sound\\text\\6"));
    EXPECT_FALSE(duel_test::Contains(g.log.Started(), "\\sound\\text\\6"));
}

TEST(English, AWonDuelIsToldInEnglish) {
    duel_test::DuelGame g(2);
    InEnglish(g, 2, 2);
    for (int enemy = 1; enemy <= 5; ++enemy) {
        ASSERT_TRUE(duel_test::DefeatEnemy(g)) << "enemy " << enemy;
    }
    for (int i = 0; i < 50 && !g.Game().m_bConfirmable; ++i) {
        g.Frame();
    }
    std::set<std::string> shown;
    for (const auto& draw : g.window->GetCanvas().TextLog()) {
        shown.insert(draw.text);
    }
    EXPECT_EQ(shown,
              (std::set<std::string>{"1", "2", "3", "4", "5", "Chance!", "Congratulations!"}));
    EXPECT_TRUE(duel_test::Contains(g.log.Started(), "\\en\\sound\\no\\5"));
}

// The score dialog and the boxes around it: a score for an area the dialog
// no longer lists, chosen anew and sent; then アップデート without an updater.
TEST(English, TheScoreDialogAndTheBoxesSpeakEnglish) {
    server_test::Scored server;
    server.Start();
    kztest::Game game;
    kztest::WriteSettings(game, "lang=en\naria=Atlantis\n" + kztest::ServerSetting(server.Port()));
    auto& window = game.Start();
    game.system.ScoreDialogs().AddScript(
        {Step::Key(VK_RETURN), Step::Key(VK_DOWN), Step::Key(VK_RETURN)});
    kztest::WinDuel(game, 1, 0);
    for (int i = 0; i < 5; ++i) {
        window.ReleaseKey(VK_DOWN);
    }
    window.ReleaseKey(VK_SPACE);
    window.Tick();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Please choose an area.", "Record your score online?"},
        {"Your score is recorded.\r\nEasy: rank 1 of 1.\r\n", "kirikazeJ"},
        {"The update program was not found.", "kirikazeJ"}};
    std::vector<std::pair<std::string, std::string>> shown;
    for (const auto& box : game.system.MessageBoxes().Boxes()) {
        shown.emplace_back(box.text, box.caption);
        EXPECT_TRUE(duel_test::Contains(game.system.Speech().Texts(), box.text)) << "and said";
    }
    EXPECT_EQ(shown, expected);
    ASSERT_EQ(game.system.ScoreDialogs().Dialogs().size(), 1u);
    EXPECT_EQ(game.system.ScoreDialogs().Dialogs()[0].title, "Record your score online?");
    EXPECT_TRUE(duel_test::Contains(game.system.Speech().Texts(), "Name edit blank"));
    ASSERT_EQ(game.system.ScoreDialogs().Waits().size(), 1u);
    EXPECT_EQ(game.system.ScoreDialogs().Waits()[0].title, "Sending…");
    EXPECT_TRUE(duel_test::Contains(game.system.Speech().Texts(), "Sending…"));
}

// Each narration, Japanese or English, is over before the next begins 5000 ms
// later, and every line stands whole in the 732 pixel wide window.
TEST(English, NarrationsEndWithinTheirStepsAndLinesFitTheWindow) {
    for (const auto& [language, folder] :
         {std::pair{text::Language::Japanese, "\\sound\\text\\"},
          std::pair{text::Language::English, "\\en\\sound\\text\\"}}) {
        duel_test::DuelGame g(1);
        InEnglish(g, 2, 1, language);
        std::vector<std::string> narrations;
        for (int frame = 0; frame < 1020 && g.InDuel(); ++frame) {
            g.Frame();
            for (const std::string& name : g.log.Started()) {
                if (name.rfind(folder, 0) != 0) {
                    continue;
                }
                EXPECT_TRUE(narrations.empty() || !g.log.IsPlaying(narrations.back())) << name;
                narrations.push_back(name);
            }
            g.log.Clear();
        }
        EXPECT_EQ(narrations.size(), 19u) << folder;
    }
    const platform::Font menu(400, texts::kFontFace), duel(300, texts::kFontFace);
    auto fits = [](const platform::Font& font, const char* line) {
        EXPECT_LE(10 + font.Render(line, 0xFFFFFF, 0).width, 732) << line;
    };
    for (const char* item : texts::en::kMenuItems) {
        fits(menu, item);
    }
    for (const auto& step : texts::en::kTutorialLines) {
        fits(duel, step[0]);
        fits(duel, step[1]);
    }
    fits(duel, texts::en::kDuelWon);
}

} // namespace
