// The duel's sounds as they reach the ears: on which side, how high, in what
// order, how loud; and which key does what.
#include "duel/duel_game.h"

#include <gtest/gtest.h>

namespace {

using namespace duel_test;
using platform::headless::Channel;
using platform::headless::RenderedAudio;

using Kind = SoundEvent::Kind;

std::vector<SoundEvent> EventsOf(const DuelGame& g, const std::string& name) {
    std::vector<SoundEvent> events;
    for (const SoundEvent& event : g.log.Events()) {
        if (event.name == name) {
            events.push_back(event);
        }
    }
    return events;
}

// A normal duel played to its win: every swing on its side at its pitch, the
// first five enemies only from above, ten enemies in all.
TEST(DuelCues, EachSwingIsHeardOnItsSideAtItsPitch) {
    DuelGame g(3, 12);
    bool heard[5] = {};
    int lastStruck = 0;
    while (g.Game().m_nState != CSceenGame::kWon) {
        g.log.Clear();
        ASSERT_TRUE(AwaitAttack(g));
        const int direction = g.Game().m_nPicture;
        // 1 left above, 2 right above, 3 left below, 4 right below; from above high.
        const bool left = direction % 2 == 1;
        const Channel side = left ? Channel::Left : Channel::Right;
        const Channel other = left ? Channel::Right : Channel::Left;
        const int32_t pan = left ? -10000 : 10000;
        SCOPED_TRACE(testing::Message() << "enemy " << g.Game().m_nEnemy << ", " << direction);
        if (g.Game().m_nEnemy <= 5) {
            EXPECT_LE(direction, 2) << "the first five enemies only attack from above";
        }
        RenderedAudio swing = g.Listen(100);
        EXPECT_GT(swing.EnergyDb(side), -40.0);
        EXPECT_LT(swing.EnergyDb(other), -90.0);
        EXPECT_EQ(g.log.RateOf("\\sound\\huri"), direction <= 2 ? 24200u : 13200u);
        EXPECT_EQ(g.log.PanOf("\\sound\\huri"), pan);
        EXPECT_FALSE(g.log.IsPlaying("\\sound\\asiato")) << "the swing silences the footsteps";
        heard[direction] = true;

        BlockAttack(g);
        EXPECT_EQ(g.log.PanOf("\\sound\\kin"), pan);
        if (g.Game().m_nBlocksLeft < 0) {
            lastStruck = g.Game().m_nEnemy;
            g.Key(VK_SPACE); // the chance (centred) is open: strike
        }
    }
    EXPECT_TRUE(heard[1] && heard[2] && heard[3] && heard[4])
        << "enemies 6 … 10 come from below too";
    EXPECT_EQ(lastStruck, 10);
}

// The enemy is heard coming: centred, a little high, louder frame by frame
// until full, and silent once he stands and speaks.
TEST(DuelCues, TheFootstepsGrowLouderUntilFullThenTheChallengeIsHeardAlone) {
    DuelGame g(2, 13);
    // The very first rate request of a run plays the sample's own rate
    // times 1.1.
    EXPECT_EQ(g.log.RateOf("\\sound\\asiato"), 24255u);
    EXPECT_EQ(g.log.PanOf("\\sound\\asiato"), 0);
    EXPECT_TRUE(g.log.IsPlaying("\\sound\\asiato"));
    // The level the device plays them at after each frame.
    std::vector<int64_t> heard;
    int64_t level = INT64_MIN;
    for (int frame = 1; frame <= 19; ++frame) {
        g.Frame();
        for (const SoundEvent& event : EventsOf(g, "\\sound\\asiato")) {
            if (event.kind == Kind::Volume && event.accepted) {
                level = event.value;
            }
        }
        heard.push_back(level);
        g.log.Clear();
    }
    EXPECT_LE(heard.front(), -800) << "from afar";
    for (size_t i = 1; i < 10; ++i) {
        EXPECT_GT(heard[i], heard[i - 1]) << "frame " << i + 1;
    }
    for (size_t i = 9; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i], 0) << "frame " << i + 1 << ": full, and no further";
    }
    g.Frame();
    EXPECT_FALSE(g.log.IsPlaying("\\sound\\asiato"));
    const auto started = g.log.Started();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(started[0] == "\\sound\\iza" || started[0] == "\\sound\\mairu" ||
                started[0] == "\\sound\\kakugo")
        << started[0];
}

TEST(DuelCues, AParriedStrikeClashesWhereTheLastBlockWas) {
    // First attack of a duel, nothing blocked yet: the clash is centred.
    {
        DuelGame g(2, 14);
        ASSERT_TRUE(AwaitAttack(g));
        g.log.Clear();
        g.Key(VK_SPACE);
        EXPECT_EQ(g.log.Started(), std::vector<std::string>{"\\sound\\kin"});
        EXPECT_EQ(g.log.PanOf("\\sound\\kin"), 0);
        RenderedAudio clash = g.Listen(30);
        EXPECT_GT(clash.EnergyDb(Channel::Left), -60.0);
    }
    // Enemy 2 needs more than one block: after a block on one side, the
    // parried strike keeps that side, whatever side the next blow comes from.
    DuelGame g(2, 1);
    ASSERT_TRUE(DefeatEnemy(g));
    ASSERT_TRUE(AwaitAttack(g));
    ASSERT_GE(g.Game().m_nBlocksLeft, 1);
    const int32_t blockedSide = g.Game().m_nPicture == 1 ? -10000 : 10000;
    BlockAttack(g);
    ASSERT_TRUE(AwaitAttack(g));
    g.log.Clear();
    g.Key('5');
    auto events = EventsOf(g, "\\sound\\kin");
    ASSERT_FALSE(events.empty());
    for (const SoundEvent& event : events) {
        EXPECT_NE(event.kind, Kind::Pan);
        EXPECT_NE(event.kind, Kind::Frequency);
    }
    EXPECT_EQ(g.log.PanOf("\\sound\\kin"), blockedSide);
}

TEST(DuelCues, EveryKeyOfTheMapAndNoOther) {
    enum Effect { kNone, kBlock1, kBlock2, kBlock3, kBlock4, kStrike };
    using ui::PadInput;
    struct Case {
        int key; // 0: the controller, as below (a trigger with how far it is pulled)
        Effect effect;
        std::vector<std::pair<PadInput, int>> pad = {};
    };
    const Case cases[] = {
        {0, kBlock1, {{PadInput::LeftShoulder, 0}}},
        {0, kBlock2, {{PadInput::RightShoulder, 0}}},
        // A trigger counts as let go once it is back below a quarter of its travel.
        {0, kBlock3, {{PadInput::LeftTrigger, 32767}, {PadInput::LeftTrigger, 8191}}},
        {0, kBlock4, {{PadInput::RightTrigger, 16384}, {PadInput::RightTrigger, 0}}},
        {0, kNone, {{PadInput::LeftTrigger, 32767}, {PadInput::LeftTrigger, 8192}}},
        {0, kNone, {{PadInput::RightTrigger, 16383}, {PadInput::RightTrigger, 0}}},
        {0, kStrike, {{PadInput::South, 0}}},
        // The digits and the space bar: the tests above block and strike with them.
        {VK_NUMPAD7, kBlock1},
        {VK_NUMPAD9, kBlock2},
        {VK_NUMPAD1, kBlock3},
        {VK_NUMPAD3, kBlock4},
        {VK_NUMPAD5, kStrike},
        // Num Lock off sends VK_HOME; the duel has no use for it or the rest.
        {VK_HOME, kNone},
        {VK_RETURN, kNone},
        {'2', kNone},
        {VK_NUMPAD8, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " " << c.effect);
        // Swings from below come from enemy 6 on; start there.
        DuelGame g(3, 15);
        g.system.Pads().Connect(0);
        ASSERT_TRUE(g.RunUntil(CSceenGame::kPause));
        g.Game().m_nEnemy = 6;
        ASSERT_TRUE(AwaitAttack(g));
        if (c.effect >= kBlock1 && c.effect <= kBlock4) {
            // Wait, blocking with the digits, for a blow from that direction.
            for (int i = 0; i < 30 && g.Game().m_nPicture != c.effect; ++i) {
                BlockAttack(g);
                ASSERT_TRUE(AwaitAttack(g));
            }
            ASSERT_EQ(g.Game().m_nPicture, c.effect);
        }
        g.log.Clear();
        const int damage = g.Game().m_nDamage;
        if (c.key) {
            g.Key(c.key);
        }
        for (auto [input, pulled] : c.pad) {
            if (input == PadInput::LeftTrigger || input == PadInput::RightTrigger) {
                g.window->PadTrigger(input, pulled);
            } else {
                g.window->PadPress(input);
            }
        }
        auto started = g.log.Started();
        if (c.effect == kNone) {
            EXPECT_TRUE(started.empty());
            EXPECT_EQ(g.Game().m_nState, CSceenGame::kAttack);
        } else {
            ASSERT_FALSE(started.empty());
            EXPECT_EQ(started.front(), "\\sound\\kin") << "a block or a parried strike";
            EXPECT_EQ(g.Game().m_nDamage, damage);
        }
    }
}

} // namespace
