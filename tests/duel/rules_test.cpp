// The duel's rules, as the player meets them: what each key does in each
// state, when the chance opens, when a duel is lost or won.
#include "duel/duel_game.h"
#include "platform/haptics.h"

#include <gtest/gtest.h>

namespace {

using namespace duel_test;
using enum CSceenGame::State;

TEST(DuelRules, TheChanceOpensAfterOneBlockForTheFirstEnemyAndBlocksLeftPlusOneLater) {
    for (unsigned seed : {1u, 42u}) {
        DuelGame g(2, seed);
        for (int enemy = 1; enemy <= 5; ++enemy) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", enemy " << enemy);
            ASSERT_EQ(g.Game().m_nEnemy, enemy);
            const int needed = g.Game().m_nBlocksLeft + 1;
            EXPECT_GE(needed, enemy == 1 ? 1 : 2);
            EXPECT_LE(needed, enemy == 1 ? 1 : 6);
            int blocks = 0;
            bool chance = false;
            while (!chance && blocks < 8) {
                ASSERT_TRUE(AwaitAttack(g));
                for (const std::string& name : g.log.Started()) {
                    EXPECT_NE(name.rfind("\\sound\\no\\", 0), 0u) << name << " in a fight";
                }
                g.log.Clear();
                BlockAttack(g);
                ++blocks;
                chance = Contains(g.log.Started(), "\\sound\\chance");
                EXPECT_TRUE(Contains(g.log.Started(), "\\sound\\kin"));
            }
            EXPECT_EQ(blocks, needed);
            EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"チャンス!"});
            g.Key(VK_SPACE);
            EXPECT_EQ(g.Game().m_nState, enemy == 5 ? kWon : kDefeated);
            if (enemy == 5) {
                break;
            }
            // Each new enemy from the second on is announced by number.
            g.log.Clear();
            ASSERT_TRUE(g.RunUntil(kApproach));
            const std::string number = std::to_string(enemy + 1);
            EXPECT_EQ(g.log.Started(),
                      (std::vector<std::string>{"\\sound\\asiato", "\\sound\\no\\" + number}));
            for (const auto& event : g.log.Events()) {
                EXPECT_EQ(event.tick, g.log.Events().front().tick) << "all in one frame";
            }
            EXPECT_EQ(g.log.RateOf("\\sound\\asiato"), 24200u) << "later footsteps play high";
            g.Frame();
            EXPECT_EQ(g.LinesShown(), std::vector<std::string>{number});
            g.log.Clear();
        }
    }
}

TEST(DuelRules, WithFourMistakesTheNextCloseLosesUnlessTheEnemyFallsFirst) {
    enum class Fifth { Blocked, Unblocked, Struck };
    for (Fifth fifth : {Fifth::Blocked, Fifth::Unblocked, Fifth::Struck}) {
        SCOPED_TRACE(static_cast<int>(fifth));
        DuelGame g(2, 5);
        g.system.Pads().Connect(0);
        ASSERT_TRUE(MakeMistakes(g, 4));
        ASSERT_TRUE(AwaitAttack(g));
        g.log.Clear();
        if (fifth != Fifth::Unblocked) {
            BlockAttack(g);
        }
        if (fifth == Fifth::Struck) {
            g.Key(VK_SPACE);
        }
        AwaitWindowClose(g);
        if (fifth == Fifth::Struck) {
            EXPECT_EQ(g.Game().m_nState, kDefeated);
            continue;
        }
        EXPECT_EQ(g.Game().m_nState, kLost);
        EXPECT_EQ(g.Game().m_nDamage, 4) << "the losing close is no fifth mistake";
        EXPECT_EQ(g.Game().m_nPicture, 6);
        // Each mistake was felt as a cut, the loss as a long pulse.
        const auto& felt = g.system.Pads().Felt();
        EXPECT_EQ(std::count(felt.begin(), felt.end(), platform::Haptic::Cut), 4);
        ASSERT_FALSE(felt.empty());
        EXPECT_EQ(felt.back(), platform::Haptic::Lost);
        auto started = g.log.Started();
        std::vector<std::string> tail(started.end() - std::min<size_t>(3, started.size()),
                                      started.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"\\sound\\youlose", "\\sound\\GameOver",
                                                  "\\sound\\sasu2"}));
        EXPECT_FALSE(Contains(started, "\\sound\\damage5"));
    }
}

TEST(DuelRules, AWrongKeyIsAMistakeAtOnceAndOnlyWrongKeysGoPastFour) {
    DuelGame g(2, 11);
    ASSERT_TRUE(MakeMistakes(g, 4));
    ASSERT_TRUE(AwaitAttack(g));
    for (int damage = 5; damage <= 7; ++damage) {
        SCOPED_TRACE(damage);
        g.log.Clear();
        const uint32_t pressed = g.Now();
        g.Key(DuelGame::WrongKey(g.Game().m_nPicture));
        EXPECT_EQ(g.Game().m_nDamage, damage);
        EXPECT_EQ(g.Game().m_nState, kPause);
        auto started = g.log.Started();
        EXPECT_TRUE(Contains(started, "\\sound\\sasu2"));
        if (damage == 5) {
            EXPECT_TRUE(Contains(started, "\\sound\\damage5"));
        } else {
            EXPECT_EQ(started.size(), 1u) << "only the cut: no damage voice any more";
        }
        EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"DAMAGE!" + std::to_string(damage)});
        // Keys in the pause do nothing; the next swing comes 1000 ms later.
        g.log.Clear();
        g.Key(VK_SPACE);
        g.Key(DuelGame::BlockKey(1));
        EXPECT_TRUE(g.log.Started().empty());
        ASSERT_TRUE(AwaitAttack(g));
        EXPECT_GE(g.Now() - pressed, 1000u);
        EXPECT_LT(g.Now() - pressed, 1100u);
    }
    // The next close with more than four mistakes loses.
    AwaitWindowClose(g);
    EXPECT_EQ(g.Game().m_nState, kLost);
}

// Escape leaves at any moment without a score; the strike key confirms a
// won or lost duel, but only 3000 ms after its end.
TEST(DuelRules, EscapeLeavesAnyTimeAndTheStrikeKeyConfirmsTheEndOnlyAfter3000Ms) {
    struct Case {
        int state;
        int framesWaited;
        int key;
        int command; // right after the key; -1: none, the duel goes on
    };
    const Case cases[] = {
        {kWon, 29, VK_NUMPAD5, -1}, {kWon, 30, VK_NUMPAD5, 2},    {kLost, 29, '5', -1},
        {kLost, 30, '5', 1},        {kApproach, 0, VK_ESCAPE, 0}, {kAttack, 0, VK_ESCAPE, 0},
        {kLost, 0, VK_ESCAPE, 0},   {kWon, 0, VK_ESCAPE, 0},      {kTutorial, 0, VK_ESCAPE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.framesWaited << " " << c.key);
        DuelGame g(c.state == kTutorial ? 1 : 2, 4);
        if (c.state == kWon) {
            for (int enemy = 1; enemy <= 5; ++enemy) {
                ASSERT_TRUE(DefeatEnemy(g));
            }
            EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"おめでとう!"});
        } else if (c.state == kLost) {
            ASSERT_TRUE(MakeMistakes(g, 4));
            ASSERT_TRUE(AwaitAttack(g));
            AwaitWindowClose(g);
        } else {
            ASSERT_TRUE(g.RunUntil(c.state));
        }
        ASSERT_EQ(g.Game().m_nState, c.state);
        g.Frames(c.framesWaited);
        g.Key(c.key);
        EXPECT_EQ(g.Game().m_nCommand, c.command);
        g.Frame();
        EXPECT_EQ(g.dlg->m_nScene, c.command == -1 ? 2 : 1);
    }
}

TEST(DuelRules, TheReactionWindowShrinksWithTheEnemyNumber) {
    // Seen from the player's side: a swing left alone closes after the window.
    const std::pair<int, uint32_t> cases[] = {
        {1, 1500}, {5, 1500}, {6, 1200}, {10, 1200}, {11, 1100}, {20, 1000}, {25, 900},
        {30, 800}, {35, 700}, {40, 600}, {45, 500},  {46, 400},  {50, 400}};
    for (auto [enemy, windowMs] : cases) {
        SCOPED_TRACE(enemy);
        DuelGame g(4, 9);
        ASSERT_TRUE(g.RunUntil(kPause));
        g.Game().m_nEnemy = enemy; // skip ahead: the window depends on the number only
        ASSERT_TRUE(AwaitAttack(g));
        const uint32_t swing = g.Now();
        g.log.Clear();
        AwaitWindowClose(g);
        ASSERT_TRUE(Contains(g.log.Started(), "\\sound\\sasu2"));
        const uint32_t closed = g.log.Events().front().tick;
        EXPECT_EQ(closed - swing, windowMs);
        ASSERT_TRUE(AwaitAttack(g));
        EXPECT_EQ(g.Now() - closed, 500u) << "the next swing comes half a second after the close";
    }
}

TEST(DuelRules, WaitsLastAsLongWhereverTheTickCounterStands) {
    // Frames the first approach's 2000 ms take from that tick on.
    auto approachFrames = [](uint32_t startTick) {
        DuelGame g(2, 1, startTick);
        int frames = 0;
        for (; g.Game().m_nState == kApproach && frames < 100; ++frames) {
            g.Frame();
        }
        return frames;
    };
    EXPECT_EQ(approachFrames(1000), 20);
    EXPECT_EQ(approachFrames(0xFFFFF000u), 20) << "across the wrap to 0";
    EXPECT_EQ(approachFrames(0x7FFFFC00u), 20) << "across the sign change";
}

} // namespace
