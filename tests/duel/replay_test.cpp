// A won duel's replay, given to the game as by kirikazeJ --replay FILE, is
// heard as the duel was played.
#include "duel/duel_game.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace duel_test {
namespace {

// What reached the sound device from the first swing until a little after
// the win, in order; each swing with when it came after the first one.
std::vector<std::string> HearToTheEnd(DuelGame& g) {
    std::vector<std::string> heard;
    EXPECT_TRUE(g.RunUntil(CSceenGame::kWon, 2000));
    g.Frames(10);
    uint32_t firstSwing = 0;
    for (const SoundEvent& e : g.log.Events()) {
        std::string line =
            std::to_string(static_cast<int>(e.kind)) + " " + e.name + " " + std::to_string(e.value);
        if (e.kind == SoundEvent::Kind::Play && e.name == "\\sound\\huri") {
            firstSwing = firstSwing ? firstSwing : e.tick;
            line += " at " + std::to_string(e.tick - firstSwing);
        }
        if (firstSwing) {
            heard.push_back(line);
        }
    }
    return heard;
}

TEST(Replay, AReplayFileIsHeardAsTheDuelWasPlayedAndEscapeEndsIt) {
    const auto file = std::filesystem::path(testing::TempDir()) / "won.kzreplay";
    std::vector<std::string> played;
    {
        DuelGame g(2, 31);
        while (g.InDuel() && g.Game().m_nState != CSceenGame::kWon) {
            ASSERT_TRUE(DefeatEnemy(g));
        }
        played = HearToTheEnd(g);
        std::ofstream(file) << g.Game().Replay().Text() << "\n";
    }

    DuelGame r(0, 77, 5555, file.string());
    ASSERT_TRUE(r.InDuel());
    for (int i = 0; i < 50; ++i) {
        r.Key(i % 2 ? '7' : VK_SPACE); // the listener's keys change nothing
        r.Frame();
    }
    EXPECT_EQ(HearToTheEnd(r), played);
    r.Frames(30);
    r.Key(VK_SPACE);
    r.Frame();
    EXPECT_EQ(r.dlg->m_nScene, 1) << "the end of a replay is no score to send";
    EXPECT_TRUE(r.system.ScoreDialogs().Waits().empty());

    DuelGame again(0, 77, 5555, file.string());
    again.Frames(100);
    again.Key(VK_ESCAPE);
    again.Frame();
    EXPECT_EQ(again.dlg->m_nScene, 1) << "Escape ends the replay";

    std::ofstream(file) << "kzr1.1.5.40.120a1x\n";
    DuelGame bad(0, 77, 5555, file.string());
    EXPECT_EQ(bad.dlg->m_nScene, 1);
    ASSERT_EQ(bad.system.MessageBoxes().Boxes().size(), 1u);
    EXPECT_EQ(bad.system.MessageBoxes().Boxes()[0].text, "このリプレイは再生できません。");
}

} // namespace
} // namespace duel_test
