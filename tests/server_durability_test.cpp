#include "server_fixture.h"

#include <csignal>

namespace {

using ScoreDurability = server_test::ScoreServerTest;

// The real binary, killed without warning right after it answered: every
// answered result is still there when the server comes back.
TEST_P(ScoreDurability, KillNineLosesNothingAnswered) {
    const char* names[] = {"一番", "second", "三番"};
    for (int i = 0; i < 3; ++i) {
        auto res = m_server.Submit(server_test::SubmitQuery("Japan", names[i], 3, i));
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200);
    }
    EXPECT_EQ(m_server.process.Stop(SIGKILL), 128 + SIGKILL);

    server_test::Scored second{m_database};
    second.Start();
    const std::string page = second.ResultPage();
    for (const char* name : names) {
        EXPECT_NE(page.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(second.process.Stop(SIGTERM), 0) << "a stop request ends the server cleanly";
    EXPECT_EQ(second.Rows(), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreDurability,
                         ::testing::Values(server_test::Backend::Sqlite,
                                           server_test::Backend::Postgres),
                         server_test::BackendName);

} // namespace
