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
};

TEST(ScoreRank, RankOnTheLevelOfTheSubmission) {
    for (const RankCase& c : kRanks) {
        SCOPED_TRACE(c.what);
        server_test::TempDir dir;
        server_test::InProcessServer server(dir.Path() + "/scores.db");
        server.Start();
        for (const Result& r : c.before) {
            ASSERT_TRUE(server.Submit(server_test::SubmitQuery("Japan", "x", r.level, r.score)));
        }
        auto res =
            server.Submit(server_test::SubmitQuery("Japan", "me", c.mine.level, c.mine.score));
        ASSERT_TRUE(res);
        EXPECT_NE(server_test::Utf8(res->body).find(c.message), std::string::npos);
    }
}

} // namespace
