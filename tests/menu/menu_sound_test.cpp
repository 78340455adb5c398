// The menu by ear: what a player hears at start, after each key, and when a
// choice takes him away and back.
#include "menu/menu_ear.h"

#include <cmath>

namespace {

using menu_test::kDuel;
using menu_test::kMusic;
using menu_test::kTitle;
using menu_test::MenuEar;
using menu_test::Names;
using menu_test::Voice;
using platform::headless::Channel;
using Heard = std::set<int>;

TEST(MenuSound, TheTitleIsSpokenOverTheMusicAsSoonAsTheMenuOpens) {
    MenuEar ear;
    ear.Start();
    auto first = ear.Hear(20);
    EXPECT_EQ(MenuEar::HeardIn(first), (Heard{kMusic, kTitle})) << Names(MenuEar::HeardIn(first));
    EXPECT_LE(first.FirstFrameAbove(-40.0), 1u) << "both start at once";
    EXPECT_NEAR(first.EnergyDb(Channel::Left), first.EnergyDb(Channel::Right), 0.01) << "centred";
    for (int sound : {kMusic, kTitle}) {
        EXPECT_NEAR(MenuEar::LevelOf(ear.Hear(100), sound), menu_test::kToneDb, 1.0)
            << "at full level: " << sound;
    }

    // The title (800 ms) ends; the music (1000 ms) loops on, alone.
    EXPECT_EQ(ear.Listen(600), (Heard{kMusic, kTitle}));
    ear.Hear(100);
    for (int second = 1; second <= 6; ++second) {
        auto heard = ear.Listen(900);
        EXPECT_EQ(heard, Heard{kMusic}) << second << " s: " << Names(heard);
    }
}

struct Step {
    int key;
    int item; // the item spoken after it
};

TEST(MenuSound, EveryKeyReleaseSpeaksTheItemThenHighlighted) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"down to the end, where it holds",
         {{VK_DOWN, 1},
          {VK_DOWN, 2},
          {VK_DOWN, 3},
          {VK_DOWN, 4},
          {VK_DOWN, 5},
          {VK_DOWN, 6},
          {VK_DOWN, 6},
          {VK_DOWN, 6}}},
        {"up at the top holds", {{VK_UP, 0}, {VK_UP, 0}, {VK_DOWN, 1}, {VK_UP, 0}, {VK_UP, 0}}},
        {"up from the end", {{VK_DOWN, 1}, {VK_DOWN, 2}, {VK_UP, 1}, {VK_UP, 0}}},
        {"other keys say where the player is",
         {{VK_ESCAPE, 0},
          {'A', 0},
          {VK_LEFT, 0},
          {VK_DOWN, 1},
          {VK_RIGHT, 1},
          {VK_TAB, 1},
          {VK_F1, 1},
          {VK_NUMPAD2, 1},
          {VK_ESCAPE, 1}}},
        {"space and enter speak the item they choose",
         {{VK_SPACE, 0}, {VK_DOWN, 1}, {VK_DOWN, 2}, {VK_RETURN, 2}, {VK_SPACE, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuEar ear;
        auto& window = ear.game.Start();
        int n = 0;
        for (const Step& step : c.steps) {
            window.ReleaseKey(step.key);
            Heard heard = ear.Listen(60);
            heard.erase(kMusic);
            heard.erase(kTitle);
            EXPECT_EQ(heard, Heard{Voice(step.item)})
                << "key " << ++n << " (" << step.key << "): " << Names(heard);
            ear.Hear(300); // the voice ends
        }
    }
}

// A voice is one second long here; a second key comes 600 ms after the first.
TEST(MenuSound, AKeyReleasedWhileItsVoicePlaysStartsItAgain) {
    struct Case {
        const char* what;
        int downsBefore;     // moves made (and heard out) before the two keys
        int first, second;   // second 0: none
        Heard at650, at1250; // voices heard 650 ... 700 and 1250 ... 1300 ms after the first key
    };
    const Case cases[] = {
        {"no second key: it ends at 1000 ms", 0, VK_DOWN, 0, {Voice(1)}, {}},
        {"the same item again: from its start", 0, VK_DOWN, VK_ESCAPE, {Voice(1)}, {Voice(1)}},
        {"the same item at the end of the list", 6, VK_DOWN, VK_DOWN, {Voice(6)}, {Voice(6)}},
        {"another item: both voices, mixed", 0, VK_DOWN, VK_UP, {Voice(0), Voice(1)}, {Voice(0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuEar ear({.voiceMs = 1000});
        auto& window = ear.game.Start();
        for (int i = 0; i < c.downsBefore; ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        ear.Hear(1100);
        window.ReleaseKey(c.first);
        ear.Hear(600);
        if (c.second) {
            window.ReleaseKey(c.second);
        }
        ear.Hear(50);
        auto at650 = ear.Hear(50);
        ear.Hear(550);
        auto at1250 = ear.Hear(50);
        for (auto [audio, want] : {std::pair{&at650, c.at650}, {&at1250, c.at1250}}) {
            Heard heard = MenuEar::HeardIn(*audio);
            heard.erase(kMusic);
            EXPECT_EQ(heard, want) << Names(heard);
            for (int voice : want) {
                EXPECT_NEAR(MenuEar::LevelOf(*audio, voice), menu_test::kToneDb, 1.0)
                    << "one voice, not two";
            }
        }
        ear.Hear(350);
        Heard after = ear.Listen(50);
        after.erase(kMusic);
        EXPECT_EQ(after, Heard{}) << "all ended by 1650 ms: " << Names(after);
    }
}

TEST(MenuSound, EachChoiceIsCarriedOutOnTheNextTick) {
    struct Case {
        int item;
        int key;
        int level; // the duel's level; 0 when the menu stays or the game ends
        bool launch;
        bool ends;
    };
    const Case cases[] = {
        {0, VK_SPACE, 1, false, false}, {1, VK_RETURN, 2, false, false},
        {2, VK_SPACE, 3, false, false}, {3, VK_RETURN, 4, false, false},
        {4, VK_SPACE, 0, true, false},  {5, VK_RETURN, 0, true, true},
        {6, VK_SPACE, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << c.item);
        MenuEar ear;
        CKirikazeJDlg& dlg = ear.Start();
        auto& window = ear.Window();
        for (int i = 0; i < c.item; ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        ear.Hear(1000);
        window.ReleaseKey(c.key);
        EXPECT_TRUE(ear.Listen(50).count(Voice(c.item))) << "the choice is spoken";
        EXPECT_EQ(dlg.m_nScene, 1) << "nothing happens before the tick";

        window.Tick();
        EXPECT_EQ(window.Ending(), c.ends);
        EXPECT_EQ(ear.game.system.Launches().Launches().size(), c.launch ? 1u : 0u);
        if (c.level) {
            ASSERT_EQ(dlg.m_nScene, 2);
            EXPECT_EQ(dlg.m_pSceenGame->m_nLevel, c.level);
            ear.Hear(5); // what was cut short fades out
            Heard heard = ear.Listen(200);
            heard.erase(kDuel);
            EXPECT_EQ(heard, Heard{}) << "the menu's voice and music stop: " << Names(heard);
        }
        if (c.item == 4) {
            // The score table opens in the browser; the menu goes on as it was.
            EXPECT_EQ(ear.Listen(100), (Heard{kMusic, Voice(4)}));
            ear.Hear(300);
            window.ReleaseKey(VK_DOWN);
            EXPECT_EQ(ear.Listen(50), (Heard{kMusic, Voice(5)}));
        }
    }
}

TEST(MenuSound, EveryReturnFromADuelOpensANewMenu) {
    MenuEar ear;
    CKirikazeJDlg& dlg = ear.Start();
    auto& window = ear.Window();
    for (int item : {1, 3, 0, 2}) {
        SCOPED_TRACE(testing::Message() << "item " << item);
        ear.Hear(1000);
        for (int i = 0; i < item; ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        window.ReleaseKey(VK_SPACE);
        window.Tick();
        ASSERT_EQ(dlg.m_nScene, 2);
        ear.Hear(5);
        Heard inDuel = ear.Listen(300);
        inDuel.erase(kDuel);
        EXPECT_EQ(inDuel, Heard{}) << Names(inDuel);

        window.ReleaseKey(VK_ESCAPE);
        window.Tick();
        ASSERT_EQ(dlg.m_nScene, 1);
        // The duel's sounds are gone before the menu's begin: from the very
        // first moment only the title and the music.
        auto start = ear.Hear(20);
        Heard heard = MenuEar::HeardIn(start);
        EXPECT_EQ(heard, (Heard{kTitle, kMusic})) << Names(heard);
        EXPECT_LE(start.FirstFrameAbove(-40.0), 1u);
        ear.Hear(1000);
        window.ReleaseKey(VK_LEFT);
        EXPECT_EQ(ear.Listen(50), (Heard{kMusic, Voice(0)})) << "on the first item again";
    }
}

} // namespace
