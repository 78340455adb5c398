#include "server_fixture.h"

namespace {

using server_test::ScoreServerTest;

using Results = std::vector<std::pair<int, int>>; // level, mistakes

// Before, then mine: its level and mistakes, and the rank and count the player
// is told. Fewer mistakes rank higher; equal scores share a rank; other
// levels do not count.
const std::tuple<Results, int, int, int, int> kRanks[] = {
    {{}, 1, 3, 1, 1},
    {{{2, 1}, {2, 2}}, 2, 0, 1, 3},
    {{{2, 1}, {2, 2}}, 2, 3, 3, 3},
    {{{3, 1}, {3, 2}, {3, 2}, {3, 4}}, 3, 2, 2, 5},
    {{{3, 0}, {3, 0}}, 3, 0, 1, 3},
    {{{1, 0}, {3, 0}, {2, 5}}, 2, 4, 1, 2},
    {{{1, 99}, {1, 100}, {1, 250}, {1, 9999}}, 1, 200, 3, 5},
    {{{1, 99}, {1, 100}, {1, 100}, {1, 101}}, 1, 100, 2, 5},
    {{{3, 0}, {3, 5000}, {3, 9998}}, 3, 9999, 4, 4},
    {Results(60, {2, 100}), 2, 100, 1, 61},
    {Results(60, {2, 100}), 2, 101, 61, 61},
};

TEST_P(ScoreServerTest, RankOnTheLevelOfTheSubmission) {
    const char* const levels[] = {"イージー", "ノーマル", "ハード"};
    for (const auto& [before, level, score, rank, count] : kRanks) {
        const std::string told = std::string(levels[level - 1]) + "で " + std::to_string(count) +
                                 " 件中 " + std::to_string(rank) + " 位です。";
        SCOPED_TRACE(told);
        server_test::Scored server{Fresh()};
        server.Start();
        // Sent four at a time, so that results also meet in one batch.
        std::atomic<int> stored{0};
        std::vector<std::thread> players;
        for (int t = 0; t < 4; ++t) {
            players.emplace_back([&, t, &sent = before] {
                for (size_t i = t; i < sent.size(); i += 4) {
                    auto res = server.Submit(
                        server_test::SubmitQuery("Japan", "x", sent[i].first, sent[i].second));
                    stored += res && res->status == 200;
                }
            });
        }
        for (auto& player : players) {
            player.join();
        }
        ASSERT_EQ(stored, static_cast<int>(before.size()));
        auto res = server.Submit(server_test::SubmitQuery("Japan", "me", level, score));
        ASSERT_TRUE(res);
        EXPECT_NE(server_test::Utf8(res->body).find(told), std::string::npos);
    }
}

// A database written before ranks were counted gets its counts when opened.
TEST(ScoreRankUpgrade, ResultsStoredBeforeCountsStillRank) {
    server_test::TempDir dir;
    const std::string db = dir.Path() + "/old.db";
    ASSERT_TRUE(server_test::ExecuteSql(
        db, "CREATE TABLE results (id INTEGER PRIMARY KEY, area TEXT NOT NULL, name TEXT NOT NULL, "
            "level INTEGER NOT NULL, score INTEGER NOT NULL, created TEXT NOT NULL DEFAULT "
            "CURRENT_TIMESTAMP); PRAGMA user_version = 1; INSERT INTO results (area, name, level, "
            "score) VALUES ('Japan', 'a', 2, 1), ('Japan', 'b', 2, 7), ('Japan', 'c', 1, 0)"));
    server_test::Scored server{db};
    server.Start();
    auto res = server.Submit(server_test::SubmitQuery("Japan", "me", 2, 3));
    ASSERT_TRUE(res);
    EXPECT_NE(server_test::Utf8(res->body).find("ノーマルで 3 件中 2 位です。"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreServerTest,
                         ::testing::Values(server_test::Backend::Sqlite,
                                           server_test::Backend::Postgres),
                         server_test::BackendName);

} // namespace
