#include "server/testing/scored_process.h"
#include "server_fixture.h"

#include <csignal>
#include <fstream>

namespace {

using server_test::InProcessServer;
using server_test::TempDir;

TEST(ScoreDurability, RestartKeepsEveryResult) {
    TempDir dir;
    InProcessServer server(dir.Path() + "/scores.db");
    server.Start();
    ASSERT_EQ(server.Submit(server_test::SubmitQuery("Japan", "山田", 2, 1))->status, 200);
    ASSERT_EQ(server.Submit(server_test::SubmitQuery("Spain", "Ana", 2, 3))->status, 200);
    server.Stop();

    server.Start();
    EXPECT_EQ(server.Rows(), 2);
    std::string page = server.ResultPage();
    EXPECT_NE(page.find("山田"), std::string::npos);
    EXPECT_NE(page.find("Ana"), std::string::npos);
    auto res = server.Submit(server_test::SubmitQuery("Japan", "new", 2, 2));
    ASSERT_TRUE(res);
    EXPECT_EQ(server_test::MessageLines(res->body).back(), "ノーマルで 3 件中 2 位です。");
}

httplib::Result GetFrom(int port, const std::string& target) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    return client.Get(target.c_str());
}

// The real binary, killed without warning right after it answered: every
// answered result is still there when the server comes back.
TEST(ScoreDurability, KillNineLosesNothingAnswered) {
    TempDir dir;
    const std::string db = dir.Path() + "/scores.db";
    const std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", db};
    scored::ScoredProcess first;
    std::string error;
    ASSERT_TRUE(first.Start(KZ_SCORED_PATH, args, error)) << error;
    const char* names[] = {"一番", "second", "三番"};
    for (int i = 0; i < 3; ++i) {
        auto res = GetFrom(first.Port(), std::string(scored::ScoreServer::kSubmitPath) + "?" +
                                             server_test::SubmitQuery("Japan", names[i], 3, i));
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200);
    }
    EXPECT_EQ(first.Stop(SIGKILL), 128 + SIGKILL);

    scored::ScoredProcess second;
    ASSERT_TRUE(second.Start(KZ_SCORED_PATH, args, error)) << error;
    auto page = GetFrom(second.Port(), std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(page);
    for (const char* name : names) {
        EXPECT_NE(page->body.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(second.Stop(SIGTERM), 0) << "a stop request ends the server cleanly";
    auto store = scored::ScoreStore::Open(db, error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(store->Count(), 3);
}

struct StartFailure {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    const char* says;
};

TEST(ScoreServerCommandLine, BadStartsSayWhyAndExit) {
    TempDir dir;
    const std::string blocker = dir.Path() + "/a-file";
    std::ofstream(blocker) << "not a folder";
    const std::string garbage = dir.Path() + "/garbage.db";
    std::ofstream(garbage) << std::string(4096, 'x');
    InProcessServer holder(dir.Path() + "/holder.db");
    holder.Start();
    const std::string db = dir.Path() + "/ok.db";

    const StartFailure cases[] = {
        {"unknown option", {"--bogus"}, 2, "unknown argument \"--bogus\""},
        {"missing value", {"--listen"}, 2, "--listen needs a value"},
        {"no port", {"--listen", "127.0.0.1", "--db", db}, 2, "--listen wants HOST:PORT"},
        {"no host", {"--listen", ":8765", "--db", db}, 2, "--listen wants HOST:PORT"},
        {"port too big", {"--listen=127.0.0.1:65536", "--db", db}, 2, "--listen wants HOST:PORT"},
        {"port not a number",
         {"--listen", "127.0.0.1:http", "--db", db},
         2,
         "--listen wants HOST:PORT"},
        {"empty database name", {"--db", ""}, 2, "--db needs a file name"},
        {"database under a file",
         {"--listen", "127.0.0.1:0", "--db", blocker + "/scores.db"},
         1,
         "cannot create the folder"},
        {"database is a folder", {"--listen", "127.0.0.1:0", "--db", dir.Path()}, 1, "is a folder"},
        {"database is not a database",
         {"--listen", "127.0.0.1:0", "--db", garbage},
         1,
         "not a database"},
        {"busy port",
         {"--listen", "127.0.0.1:" + std::to_string(holder.Port()), "--db", db},
         1,
         "already in use"},
    };
    for (const StartFailure& c : cases) {
        SCOPED_TRACE(c.what);
        auto finished = scored::ScoredProcess::Run(KZ_SCORED_PATH, c.args);
        EXPECT_EQ(finished.exitCode, c.exitCode);
        EXPECT_NE(finished.output.find(c.says), std::string::npos) << finished.output;
    }
}

TEST(ScoreServerCommandLine, HelpPrintsUsage) {
    auto finished = scored::ScoredProcess::Run(KZ_SCORED_PATH, {"--help"});
    EXPECT_EQ(finished.exitCode, 0);
    EXPECT_NE(finished.output.find("usage: kirikaze-scored"), std::string::npos);
}

} // namespace
