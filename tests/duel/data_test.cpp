// Every sound and picture the duel names is in the generated data pack.
#include "duel/duel_game.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using duel_test::DuelGame;

TEST(DuelData, EverySoundTheDuelRegistersIsInTheDataPack) {
    DuelGame g(2);
    CSceenGame& game = g.Game();
    ASSERT_EQ(game.m_nSoundCount, 139);
    std::vector<std::string> names;
    for (int id = 0; id < game.m_nSoundCount; ++id) {
        g.log.Clear();
        EXPECT_TRUE(game.m_sound.Play(static_cast<uint32_t>(id), 0)) << "id " << id;
        auto started = g.log.Started();
        ASSERT_EQ(started.size(), 1u) << "id " << id;
        EXPECT_NE(started[0], "?") << "id " << id << " plays a file the pack does not have";
        names.push_back(started[0]);
        game.m_sound.Stop(static_cast<uint32_t>(id));
    }
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size())
        << "each id its own file";
    // Registration order: the effects and voices, the narrations, the numbers.
    EXPECT_EQ(names[0], "\\sound\\asiato");
    EXPECT_EQ(names[1], "\\sound\\huri");
    EXPECT_EQ(names[19], "\\sound\\damage5");
    EXPECT_EQ(names[20], "\\sound\\text\\1");
    EXPECT_EQ(names[38], "\\sound\\text\\19");
    EXPECT_EQ(names[39], "\\sound\\no\\1");
    EXPECT_EQ(names[138], "\\sound\\no\\100");
    EXPECT_TRUE(g.system.MessageBoxes().Boxes().empty());
}

TEST(DuelData, EveryPictureTheDuelShowsIsInTheDataPack) {
    DuelGame g(2);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(g.Game().m_imgEnemy[i].IsNull()) << "sam" << i + 1;
    }
    EXPECT_FALSE(g.Game().m_imgArm.IsNull());
}

} // namespace
