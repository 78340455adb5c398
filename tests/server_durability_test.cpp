#include "server/testing/scored_process.h"
#include "server_fixture.h"

#include <csignal>

namespace {

using ScoreDurability = server_test::BackendTest;

// The real binary, killed without warning right after it answered: every
// answered result is still there when the server comes back.
TEST_P(ScoreDurability, KillNineLosesNothingAnswered) {
    const std::string& db = m_database;
    const std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", db};
    scored::ScoredProcess first;
    std::string error;
    ASSERT_TRUE(first.Start(KZ_SCORED_PATH, args, error)) << error;
    const char* names[] = {"一番", "second", "三番"};
    for (int i = 0; i < 3; ++i) {
        auto res =
            server_test::Get(first.Port(), std::string(scored::ScoreServer::kSubmitPath) + "?" +
                                               server_test::SubmitQuery("Japan", names[i], 3, i));
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200);
    }
    EXPECT_EQ(first.Stop(SIGKILL), 128 + SIGKILL);

    scored::ScoredProcess second;
    ASSERT_TRUE(second.Start(KZ_SCORED_PATH, args, error)) << error;
    auto page = server_test::Get(second.Port(), std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(page);
    for (const char* name : names) {
        EXPECT_NE(page->body.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(second.Stop(SIGTERM), 0) << "a stop request ends the server cleanly";
    auto store = scored::ScoreStore::Open(db, error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(store->Count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreDurability,
                         ::testing::Values(server_test::Backend::Sqlite,
                                           server_test::Backend::Postgres),
                         server_test::BackendName);

} // namespace
