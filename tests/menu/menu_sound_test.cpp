// The menu by ear: after each key, the voice of the item then highlighted.
#include "duel/duel_game.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuSound, EveryKeyReleaseSpeaksTheItemThenHighlighted) {
    const char* const voices[] = {"tutorial",  "easy",   "normal", "hard",
                                  "NetRecord", "update", "end"};
    // From a fresh menu, keys and the item spoken after each: down to the end,
    // where it holds; up at the top holds; other keys say where the player
    // is; enter speaks the item it chooses.
    const std::vector<std::pair<int, int>> cases[] = {
        {{VK_DOWN, 1},
         {VK_DOWN, 2},
         {VK_DOWN, 3},
         {VK_DOWN, 4},
         {VK_DOWN, 5},
         {VK_DOWN, 6},
         {VK_DOWN, 6}},
        {{VK_UP, 0}, {VK_DOWN, 1}, {VK_UP, 0}, {VK_UP, 0}},
        {{VK_ESCAPE, 0}, {'A', 0}, {VK_DOWN, 1}, {VK_RIGHT, 1}, {VK_NUMPAD2, 1}, {VK_RETURN, 1}},
    };
    for (const auto& steps : cases) {
        duel_test::DuelGame g(0);
        for (auto [key, item] : steps) {
            g.log.Clear();
            g.Key(key);
            EXPECT_EQ(g.log.Started(),
                      std::vector<std::string>{std::string("\\sound\\menu\\") + voices[item]})
                << "key " << key;
        }
    }
}

} // namespace
