// Rumble: what a player holding a controller feels during a duel, next to
// what he hears: a short light pulse for a block, a strong one when he is
// cut, a long one when the duel is lost; the same pulse whichever side the
// blade came from; nothing when rumble is off or nothing can rumble.
#include "duel/duel_game.h"
#include "platform/haptics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using duel_test::DuelGame;
using platform::Haptic;
using platform::RumbleFor;
using ui::PadInput;

// The controller's guard for an attack's direction (1 upper left ... 4
// lower right): shoulders above, triggers below.
void Guard(DuelGame& g, int direction) {
    switch (direction) {
    case 1:
        return g.window->PadPress(PadInput::LeftShoulder);
    case 2:
        return g.window->PadPress(PadInput::RightShoulder);
    case 3:
        g.window->PadTrigger(PadInput::LeftTrigger, 32767);
        return g.window->PadTrigger(PadInput::LeftTrigger, 0);
    case 4:
        g.window->PadTrigger(PadInput::RightTrigger, 32767);
        return g.window->PadTrigger(PadInput::RightTrigger, 0);
    default:
        return;
    }
}

int Wrong(int direction) {
    return direction == 1 ? 2 : 1;
}

std::vector<Haptic> Felt(DuelGame& g) {
    std::vector<Haptic> felt;
    for (const auto& request : g.system.Pads().Requests()) {
        felt.push_back(request.event);
    }
    return felt;
}

bool Started(DuelGame& g, const std::string& sound) {
    const auto started = g.log.Started();
    return std::find(started.begin(), started.end(), sound) != started.end();
}

TEST(PadRumble, EachMomentOfTheDuelIsFeltAsItIsHeard) {
    struct Case {
        const char* what;
        // Plays the duel from its first attack on.
        void (*play)(DuelGame&);
        std::vector<Haptic> felt;
        const char* heard; // the sound that comes with the last of them
    };
    const Case cases[] = {
        {"a blow blocked",
         [](DuelGame& g) { Guard(g, g.Game().m_nPicture); },
         {Haptic::Block},
         "\\sound\\kin"},
        {"a wrong guard",
         [](DuelGame& g) { Guard(g, Wrong(g.Game().m_nPicture)); },
         {Haptic::Cut},
         "\\sound\\sasu2"},
        {"a blow not answered",
         [](DuelGame& g) { g.RunUntil(CSceenGame::kPause); },
         {Haptic::Cut},
         "\\sound\\sasu2"},
        {"the strike through an open guard is only heard",
         [](DuelGame& g) {
             Guard(g, g.Game().m_nPicture); // the first enemy opens at once
             g.RunUntil(CSceenGame::kPause);
             g.RunUntil(CSceenGame::kAttack);
             g.system.Pads().ClearRequests();
             g.log.Clear();
             g.window->PadPress(PadInput::South);
         },
         {},
         "\\sound\\sasu1"},
        {"four mistakes, then the close of the next blow",
         [](DuelGame& g) {
             for (int i = 0; i < 4; ++i) {
                 g.RunUntil(CSceenGame::kAttack);
                 Guard(g, Wrong(g.Game().m_nPicture));
             }
             g.RunUntil(CSceenGame::kAttack);
             g.log.Clear();
             g.RunUntil(CSceenGame::kLost);
         },
         {Haptic::Cut, Haptic::Cut, Haptic::Cut, Haptic::Cut, Haptic::Lost},
         "\\sound\\youlose"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DuelGame g(2, 5);
        g.system.Pads().Connect(0);
        ASSERT_TRUE(g.RunUntil(CSceenGame::kAttack));
        g.log.Clear();
        c.play(g);
        EXPECT_EQ(Felt(g), c.felt);
        EXPECT_TRUE(Started(g, c.heard)) << "felt, and heard as before";
    }
}

TEST(PadRumble, ABlockFeelsTheSameFromEitherSide) {
    DuelGame g(2, 8);
    g.system.Pads().Connect(0);
    bool sides[2] = {false, false};
    // Blocking every blow until both sides have come.
    for (int i = 0; i < 40 && !(sides[0] && sides[1]); ++i) {
        ASSERT_TRUE(g.RunUntil(CSceenGame::kAttack));
        sides[g.Game().m_nPicture % 2 == 0] = true; // 2 and 4 come from the right
        Guard(g, g.Game().m_nPicture);
        g.RunUntil(CSceenGame::kPause);
    }
    ASSERT_TRUE(sides[0] && sides[1]);
    const auto& requests = g.system.Pads().Requests();
    ASSERT_FALSE(requests.empty());
    for (const auto& request : requests) {
        EXPECT_EQ(request.event, Haptic::Block);
        EXPECT_EQ(request.rumble, requests.front().rumble);
        EXPECT_EQ(request.rumble.low, request.rumble.high) << "no motor points to a side";
    }
}

TEST(PadRumble, PulsesAreLightAndShortForABlockStrongForACutLongForALoss) {
    const platform::Rumble block = RumbleFor(Haptic::Block);
    const platform::Rumble cut = RumbleFor(Haptic::Cut);
    const platform::Rumble lost = RumbleFor(Haptic::Lost);
    EXPECT_LT(block.low, cut.low);
    EXPECT_LE(block.ms, 100u);
    EXPECT_LT(block.ms, cut.ms);
    EXPECT_GE(lost.ms, 1000u);
    EXPECT_EQ(cut.low, 0xFFFF);
    for (const platform::Rumble& r : {block, cut, lost}) {
        EXPECT_EQ(r.low, r.high);
    }
}

TEST(PadRumble, NothingIsFeltWithRumbleOffOrNothingThatRumbles) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, bool>> pads; // id, can rumble
        bool rumble;                            // the player's setting
        size_t requests;                        // for one cut
    };
    const Case cases[] = {
        {"one controller", {{0, true}}, true, 1},
        {"two controllers", {{0, true}, {1, true}}, true, 2},
        {"rumble=0", {{0, true}}, false, 0},
        {"no controller", {}, true, 0},
        {"a controller without motors", {{0, false}}, true, 0},
    };
    for (const Case& c : cases) {
        DuelGame g(2, 5);
        for (const auto& [id, canRumble] : c.pads) {
            g.system.Pads().Connect(id, canRumble);
        }
        g.system.Pads().SetRumble(c.rumble);
        ASSERT_TRUE(g.RunUntil(CSceenGame::kAttack));
        g.Key(DuelGame::WrongKey(g.Game().m_nPicture));
        EXPECT_EQ(g.system.Pads().Requests().size(), c.requests) << c.what;
        EXPECT_EQ(g.Game().m_nDamage, 1) << c.what << ": the cut itself is the same";
    }
}

} // namespace
