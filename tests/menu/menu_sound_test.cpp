// The menu by ear: after each key, the voice of the item then highlighted.
#include "duel/duel_game.h"

#include <gtest/gtest.h>

namespace {

const char* const kVoices[] = {"tutorial", "easy", "normal", "hard", "NetRecord", "update", "end"};

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
          {VK_DOWN, 6}}},
        {"up at the top holds", {{VK_UP, 0}, {VK_DOWN, 1}, {VK_UP, 0}, {VK_UP, 0}}},
        {"other keys say where the player is",
         {{VK_ESCAPE, 0}, {'A', 0}, {VK_DOWN, 1}, {VK_RIGHT, 1}, {VK_NUMPAD2, 1}}},
        {"space and enter speak the item they choose", {{VK_DOWN, 1}, {VK_RETURN, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        duel_test::DuelGame g(0);
        for (const Step& step : c.steps) {
            g.log.Clear();
            g.Key(step.key);
            EXPECT_EQ(g.log.Started(),
                      std::vector<std::string>{std::string("\\sound\\menu\\") + kVoices[step.item]})
                << "key " << step.key;
        }
    }
}

} // namespace
