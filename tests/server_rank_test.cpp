#include "server_fixture.h"

namespace {

using server_test::ScoreServerTest;

struct Result {
    int level;
    int score;
};

struct RankCase {
    const char* what;
    std::vector<Result> before;
    Result mine;
    const char* message;
};

// Fewer mistakes rank higher; equal scores share a rank; other levels do not count.
const RankCase kRanks[] = {
    {"first ever", {}, {1, 3}, "イージーで 1 件中 1 位です。"},
    {"best so far", {{2, 1}, {2, 2}}, {2, 0}, "ノーマルで 3 件中 1 位です。"},
    {"worst so far", {{2, 1}, {2, 2}}, {2, 3}, "ノーマルで 3 件中 3 位です。"},
    {"ties share the rank", {{3, 1}, {3, 2}, {3, 2}, {3, 4}}, {3, 2}, "ハードで 5 件中 2 位です。"},
    {"ties at the top", {{3, 0}, {3, 0}}, {3, 0}, "ハードで 3 件中 1 位です。"},
    {"other levels ignored", {{1, 0}, {3, 0}, {2, 5}}, {2, 4}, "ノーマルで 2 件中 1 位です。"},
    {"across hundreds",
     {{1, 99}, {1, 100}, {1, 250}, {1, 9999}},
     {1, 200},
     "イージーで 5 件中 3 位です。"},
    {"ties at a hundred",
     {{1, 99}, {1, 100}, {1, 100}, {1, 101}},
     {1, 100},
     "イージーで 5 件中 2 位です。"},
    {"last of many hundreds",
     {{3, 0}, {3, 5000}, {3, 9998}},
     {3, 9999},
     "ハードで 4 件中 4 位です。"},
    {"many equal scores",
     std::vector<Result>(60, {2, 100}),
     {2, 100},
     "ノーマルで 61 件中 1 位です。"},
    {"after many equal scores",
     std::vector<Result>(60, {2, 100}),
     {2, 101},
     "ノーマルで 61 件中 61 位です。"},
};

TEST_P(ScoreServerTest, RankOnTheLevelOfTheSubmission) {
    for (const RankCase& c : kRanks) {
        SCOPED_TRACE(c.what);
        server_test::Scored server{Fresh()};
        server.Start();
        // Sent four at a time, so that results also meet in one batch.
        std::atomic<int> stored{0};
        std::vector<std::thread> players;
        for (int t = 0; t < 4; ++t) {
            players.emplace_back([&, t] {
                for (size_t i = t; i < c.before.size(); i += 4) {
                    auto res = server.Submit(server_test::SubmitQuery(
                        "Japan", "x", c.before[i].level, c.before[i].score));
                    stored += res && res->status == 200;
                }
            });
        }
        for (auto& player : players) {
            player.join();
        }
        ASSERT_EQ(stored, static_cast<int>(c.before.size()));
        auto res =
            server.Submit(server_test::SubmitQuery("Japan", "me", c.mine.level, c.mine.score));
        ASSERT_TRUE(res);
        EXPECT_NE(server_test::Utf8(res->body).find(c.message), std::string::npos);
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
