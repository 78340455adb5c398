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

    server_test::Scored second{m_server.db};
    second.Start();
    const std::string page = second.ResultPage();
    for (const char* name : names) {
        EXPECT_NE(page.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(second.process.Stop(SIGTERM), 0) << "a stop request ends the server cleanly";
    EXPECT_EQ(second.Rows(), 3);
}

int StatusWithin(int port, const std::string& target, int seconds) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(seconds);
    auto res = client.Get(target);
    return res ? res->status : 0;
}

// A database that stops answering costs each player a few seconds and a
// "could not save", costs nothing to requests that do not need it, and
// stores nothing it was given once its player has been told so.
TEST(ScoreDurabilityStalled, AHungDatabaseCostsSecondsAndStoresNothingLate) {
    server_test::PostgresCluster cluster;
    if (cluster.url.empty()) {
        GTEST_SKIP() << cluster.why;
    }
    server_test::Scored server{cluster.url};
    server.Start();
    const std::string submit = std::string(scored::ScoreServer::kSubmitPath) + "?" +
                               server_test::SubmitQuery("Japan", "a", 1, 3);
    const std::string page(scored::ScoreServer::kResultPath);
    ASSERT_EQ(StatusWithin(server.Port(), submit, 5), 200);

    cluster.Freeze(true);
    std::vector<std::thread> players;
    std::atomic<int> unsaved{0};
    for (int i = 0; i < 12; ++i) {
        players.emplace_back(
            [&, i] { unsaved += StatusWithin(server.Port(), i % 2 ? submit : page, 5) == 503; });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(StatusWithin(server.Port(), "/other", 1), 404);
    EXPECT_EQ(
        StatusWithin(server.Port(), std::string(scored::ScoreServer::kSubmitPath) + "?x=1", 1),
        400);
    for (auto& player : players) {
        player.join();
    }
    EXPECT_EQ(unsaved, 12);

    cluster.Freeze(false);
    // Time for anything the database still held to be stored, if it could be.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    auto res = server.Submit(server_test::SubmitQuery("Japan", "b", 1, 3));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(server_test::Utf8(res->body).find("イージーで 2 件中 1 位です。"), std::string::npos)
        << server_test::Utf8(res->body);
    EXPECT_EQ(server.Rows(), 2);
    // The outage is said once, then counted, however many it turned away.
    const std::string& log = server.process.Output(200);
    EXPECT_EQ(log.find("cannot", log.find("cannot") + 1), std::string::npos) << log;
    EXPECT_NE(log.find("answers again (11 more failures"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreDurability,
                         ::testing::Values(server_test::Backend::Sqlite,
                                           server_test::Backend::Postgres),
                         server_test::BackendName);

} // namespace
