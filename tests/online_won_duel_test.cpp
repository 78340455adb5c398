// The whole way from the duel to the score table: an easy duel won with one
// mistake, confirmed with the strike key, the dialog confirmed by keys, the
// result stored by our score server.
#include "duel/duel_play.h"
#include "platform/inet.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

namespace {

using duel_test::DuelGame;
using Step = platform::headless::HeadlessScoreDialogs::Step;

TEST(WonDuel, ConfirmedWithTheStrikeKeyItReachesTheScoreServer) {
    platform::InetLimits quick;
    quick.connectTimeoutMs = 5000;
    quick.exchangeTimeoutMs = 10000;
    const platform::InetLimits previous = platform::SetInetLimits(quick);

    server_test::TempDir dir;
    server_test::InProcessServer server(dir.Path() + "/scores.db");
    server.Start();
    DuelGame g(2, 5);
    g.dlg->m_reg.m_strServer = "http://127.0.0.1:" + std::to_string(server.Port());

    ASSERT_TRUE(duel_test::MakeMistakes(g, 1));
    for (int enemy = 1; enemy <= 5; ++enemy) {
        ASSERT_TRUE(duel_test::DefeatEnemy(g)) << "enemy " << enemy;
    }
    ASSERT_EQ(g.Game().m_nState, CSceenGame::kWon);
    for (int i = 0; i < 50 && !g.Game().m_bConfirmable; ++i) {
        g.Frame();
    }
    ASSERT_TRUE(g.Game().m_bConfirmable);

    int paintsBefore = 0;
    int paintsAfter = 0;
    int winsDrawn = 0;
    g.system.ScoreDialogs().AddScript({
        Step::Run([&](ui::DialogForm&) {
            paintsBefore = g.window->PaintCount();
            g.window->GetCanvas().ClearTextLog();
        }),
        Step::Ticks(5),
        Step::Run([&](ui::DialogForm&) {
            paintsAfter = g.window->PaintCount();
            for (const auto& draw : g.window->GetCanvas().TextLog()) {
                winsDrawn += draw.text == "おめでとう!";
            }
        }),
        // Keys the duel would act on go to the dialog.
        Step::Key(VK_SPACE),
        Step::Key('7'),
        Step::Type("武蔵"),
        Step::Key(VK_RETURN),
    });
    g.Key(VK_SPACE);
    EXPECT_EQ(g.Game().m_nCommand, 2) << "won and confirmed";
    g.Frame();

    ASSERT_EQ(g.system.ScoreDialogs().Dialogs().size(), 1u);
    EXPECT_EQ(paintsAfter, paintsBefore + 5)
        << "the duel went on updating and drawing behind the dialog";
    EXPECT_EQ(winsDrawn, 5);

    auto rows = server.Store().Best(1, 10);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ((*rows)[0].name, "武蔵");
    EXPECT_EQ((*rows)[0].area, "Secret");
    EXPECT_EQ((*rows)[0].score, 1) << "the one mistake";
    const auto& boxes = g.system.MessageBoxes().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "記録しました。\r\nイージーで 1 件中 1 位です。\r\n");
    EXPECT_EQ(g.dlg->m_nScene, 1) << "back to the menu";
    platform::SetInetLimits(previous);
}

} // namespace
