// Rumble: what a player holding a controller feels during a duel, next to
// what he hears: a pulse for a block, another when he is cut, another when
// the duel is lost.
#include "duel/duel_game.h"
#include "platform/haptics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using duel_test::DuelGame;
using platform::Haptic;
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

} // namespace
