#include "server_fixture.h"

#include <algorithm>
#include <set>
#include <thread>

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
        EXPECT_EQ(server_test::MessageLines(res->body),
                  (std::vector<std::string>{"記録しました。", c.message}));
    }
}

// Storing and counting are one step: concurrent players each see a
// different total, and nothing is lost or doubled.
TEST_F(ScoreServerTest, ConcurrentSubmissionsCountEachResultOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 5;
    std::vector<std::vector<std::string>> answers(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t, &answers] {
            for (int i = 0; i < kEach; ++i) {
                auto res = m_server.Submit(server_test::SubmitQuery("Japan", "p", 1, 0));
                answers[t].push_back(res ? server_test::MessageLines(res->body).back() : "");
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::set<std::string> distinct;
    for (const auto& list : answers) {
        distinct.insert(list.begin(), list.end());
    }
    std::set<std::string> expected;
    for (int n = 1; n <= kThreads * kEach; ++n) {
        expected.insert("イージーで " + std::to_string(n) + " 件中 1 位です。");
    }
    EXPECT_EQ(distinct, expected);
    EXPECT_EQ(m_server.Rows(), kThreads * kEach);
}

} // namespace
