// The score server as players and operators meet it: the real binary over
// SQLite and over PostgreSQL, what it stores, ranks and shows, and what
// survives a crash or a hung database.
#include "server_fixture.h"

#include <csignal>
#include <regex>

namespace {

using namespace server_test;

// A submission is stored exactly as sent, with a link to its replay on the
// page, or refused (400, nothing stored) with the reason the player reads.
// "{won 2 1}" in a query is the replay of a duel won at level 2 with one
// mistake; "{cut 2 1}" the same without its last input; "{fast 2 0}" one
// whose first guard came 60 ms after its swing; "{again}" the last replay
// played, "{moved}" the same with its first input 1 ms later.
struct SubmissionCase {
    const char* query;
    const char* reason; // null: stored as below
    const char* area = "";
    const char* name = "";
    int level = 0;
    int score = 0;
};

const SubmissionCase kSubmissions[] = {
    {"name=Taro&mode=0&level=2&score=3", "地域がありません。"},
    {"aria=Japan&mode=0&level=2&score=3", "名前がありません。"},
    {"aria=Japan&name=Taro&mode=0&level=2", "スコアがありません。"},
    {"aria=Japan&name=Taro&name=Jiro&mode=0&level=2&score=3", "名前が二つ以上あります。"},
    // An unencoded "&" in a name must not store a cut-off name.
    {"aria=Japan&name=Tom&Jerry&mode=0&level=2&score=3", "余分な項目があります。"},
    {"aria=&name=Taro&mode=0&level=2&score=3", "地域を選んでください。"},
    {"aria=japan&name=Taro&mode=0&level=2&score=3", "地域がリストにありません。"},
    {"aria=Japan&name=123456789012345678901234567890123&mode=0&level=2&score=3",
     "名前は 32 文字までです。"},
    {"aria=Japan&name=%82%20&mode=0&level=2&score=3", "名前の文字コードが CP932 ではありません。"},
    {"aria=Japan&name=Ta%0Aro&mode=0&level=2&score=3", "名前に使えない文字があります。"},
    {"aria=Japan&name=Taro&mode=1&level=2&score=3", "モードは 0 だけです。"},
    {"aria=Japan&name=Taro&mode=0&level=0&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=4&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=-1", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=10000", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=1&replay=a&replay=b",
     "リプレイが二つ以上あります。"},
    // Nothing stands without its duel.
    {"aria=Japan&name=cheater&mode=0&level=3&score=0",
     "この記録は確かめられませんでした。リプレイが付いていません。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=0&replay=kzr1.2.1.40.3120q",
     "この記録は確かめられませんでした。リプレイが壊れているか、長すぎます。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=1500&replay={won 2 1500}",
     "この記録は確かめられませんでした。リプレイが壊れているか、長すぎます。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=1&replay={cut 2 1}",
     "この記録は確かめられませんでした。リプレイの決闘が勝って終わっていません。"},
    {"aria=Japan&name=Taro&mode=0&level=1&score=1&replay={won 2 1}",
     "この記録は確かめられませんでした。リプレイのレベルが違います。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=2&replay={won 2 1}",
     "この記録は確かめられませんでした。リプレイのミスの数がスコアと違います。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=0&replay={fast 2 0}",
     "この記録は確かめられませんでした。リプレイに人には間に合わない速さの受けがあります。"},
    {"aria=Japan&name=Quick&mode=0&level=2&score=0&replay={edge 2 0}", nullptr, "Japan", "Quick", 2,
     0},
    // A replay kept from an earlier version proves its duel as it did then.
    {"aria=Japan&name=Kept&mode=0&level=1&score=0&replay=kzr1.1.3735928559.40.4409a0s4892k1923k"
     "2081k1900k0s4900a1997a2018a1987a0s4816a2002a0s4767a2043k1961a2076a2052k0s",
     nullptr, "Japan", "Kept", 1, 0},
    {"aria=Zimbabwe&name=B&mode=0&level=3&score=1000&replay={won 3 1000}", nullptr, "Zimbabwe", "B",
     3, 1000},
    {"aria=Antigua+and+Barbuda&name=D&mode=0&level=2&score=2&replay={won 2 2}", nullptr,
     "Antigua and Barbuda", "D", 2, 2},
    {"replay={won 1 7}&score=0007&level=1&mode=0&name=E&aria=Japan", nullptr, "Japan", "E", 1, 7},
    // The characters that would cut or change an unencoded query.
    {"aria=Japan&name=a%26b%3Dc%23d%25e%2bf%20g+h&mode=0&level=1&score=5&replay={won 1 5}", nullptr,
     "Japan", "a&b=c#d%e+f g h", 1, 5},
    {"aria=Japan&name=100%&mode=0&level=1&score=6&replay={won 1 6}", nullptr, "Japan", "100%", 1,
     6},
    // CP932 names are stored as UTF-8. CP932 differs from plain Shift_JIS
    // exactly where a wrong table would show: the backslash, the tilde, the
    // wave dash and the NEC and IBM extensions.
    {"aria=Japan&name=%8E%52%93%63%B6%C0%C5%5C%7E%81%60%87%40%87%94%FB%FC&mode=0&level=1&score=1&"
     "replay={won 1 1}",
     nullptr, "Japan", "山田ｶﾀﾅ\\~～①∑髙", 1, 1},
    // 32 characters of two bytes each: the limit counts characters.
    {"aria=Japan&name="
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "&mode=0&level=1&score=9&replay={won 1 9}",
     nullptr, "Japan", "山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山", 1, 9},
    // Another's duel, downloaded from the page, even when made to differ.
    {"aria=Japan&name=Copy&mode=0&level=1&score=9&replay={again}",
     "この記録は確かめられませんでした。この対戦はもう記録されています。"},
    {"aria=Japan&name=Copy&mode=0&level=1&score=9&replay={moved}",
     "この記録は確かめられませんでした。この対戦はもう記録されています。"},
};

// The replay a placeholder asks for, in its query; `last` is the last played.
std::string WithReplay(std::string query, duel::Replay& last) {
    const size_t open = query.find('{');
    if (open == std::string::npos) {
        const size_t at = query.find("replay=kzr1");
        if (auto kept = duel::Replay::Parse(query.substr(at == query.npos ? 0 : at + 7))) {
            last = *kept;
        }
        return query;
    }
    char kind[8] = {};
    int level = 0;
    int score = 0;
    std::sscanf(query.c_str() + open, "{%7[a-z] %d %d}", kind, &level, &score);
    const std::string k = kind;
    if (k == "moved") {
        ++last.presses[0].time;
    } else if (k != "again") {
        // A person's guard may come 100 ms after its swing, not sooner.
        last = Won(level, score, k == "fast" ? 99 : (k == "edge" ? 100 : 0));
        last.presses.resize(last.presses.size() - (k == "cut"));
    }
    return query.replace(open, query.find('}', open) + 1 - open, last.Text());
}

TEST_P(ScoreServerTest, EachSubmissionIsStoredAsSentOrRefusedWithItsReason) {
    duel::Replay replay;
    for (const SubmissionCase& c : kSubmissions) {
        SCOPED_TRACE(c.query);
        const int64_t before = m_server.Rows();
        auto res = m_server.Submit(WithReplay(c.query, replay));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.reason ? 400 : 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=Shift_JIS");
        const std::string message = Utf8(res->body);
        EXPECT_NE(message.find(c.reason ? "記録できませんでした。" : "記録しました。"),
                  std::string::npos);
        if (c.reason) {
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
            EXPECT_EQ(m_server.Rows(), before);
            continue;
        }
        EXPECT_EQ(m_server.Rows(), before + 1);
        auto best = m_server.Store().Best(c.level, 50);
        ASSERT_TRUE(best);
        auto row = std::find_if(best->begin(), best->end(), [&c](const scored::StoredResult& r) {
            return r.name == c.name && r.area == c.area && r.score == c.score;
        });
        ASSERT_NE(row, best->end());
        // The page links the result to its replay, and the link serves it as sent.
        const std::string id = std::to_string(row->id);
        const std::string link = std::string(scored::ScoreServer::kReplayPath) + "?id=" + id;
        EXPECT_NE(m_server.ResultPage().find("<a href=\"" + link + "\">リプレイ</a>"),
                  std::string::npos);
        auto file = m_server.Get(link);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->status, 200);
        EXPECT_EQ(file->get_header_value("Content-Type"), "application/x-kirikaze-replay");
        EXPECT_EQ(file->get_header_value("Content-Disposition"),
                  "attachment; filename=\"kirikaze-" + id + ".kzreplay\"");
        EXPECT_EQ(file->body, replay.Text() + "\n");
    }
    for (const char* asked : {"", "?id=", "?id=12345", "?id=1&id=1", "?id=-1", "?ID=1"}) {
        EXPECT_EQ(m_server.Get(std::string(scored::ScoreServer::kReplayPath) + asked)->status, 404)
            << asked;
    }
    // Copies sent at once, most in one batch: one is stored, and the others
    // are told why, in the language they ask for.
    const std::string copy =
        std::string(scored::ScoreServer::kSubmitPath) + "?" + SubmitQuery("Japan", "twin", 3, 0);
    std::atomic<int> stored{0};
    std::atomic<int> refused{0};
    AtOnce(4, [&](int) {
        httplib::Client english("127.0.0.1", m_server.Port());
        auto res = english.Get(copy, {{"Accept-Language", "en"}});
        stored += res && res->status == 200;
        refused += res && res->status == 400 &&
                   res->body.find("This result could not be verified. This duel is already on "
                                  "the table.") != std::string::npos;
    });
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(refused, 3);
}

TEST_P(ScoreServerTest, StorageFailureIsSaidAndNothingClaimed) {
    // Another hand takes the table away under the running server.
    ASSERT_EQ(scored::SqlScript::Run(m_server.db, "DROP TABLE results"), "");

    auto res = m_server.Submit(SubmitQuery("Japan", "Taro", 2, 3));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 503);
    EXPECT_NE(Utf8(res->body).find("サーバーで保存できませんでした。"), std::string::npos);
    auto page = m_server.Get(std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 503);
    EXPECT_NE(page->body.find("記録を読み込めませんでした。"), std::string::npos);
}

// Row cells in page order: rank, name, area, mistakes (the time stamp
// differs from run to run, and the replay link is tried above).
std::vector<std::string> Rows(const std::string& page, size_t from, size_t to) {
    static const std::regex kRow("<tr><td[^>]*>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td>"
                                 "<td[^>]*>([^<]*)</td>");
    std::vector<std::string> rows;
    auto end = page.begin() + std::min(to, page.size());
    for (std::sregex_iterator it(page.begin() + from, end, kRow), last; it != last; ++it) {
        rows.push_back((*it)[1].str() + "|" + (*it)[2].str() + "|" + (*it)[3].str() + "|" +
                       (*it)[4].str());
    }
    return rows;
}

// The same table for every visitor, what players typed escaped; its words
// in English for those who prefer English to Japanese.
TEST_P(ScoreServerTest, ResultPageListsBestFirstPerLevel) {
    const std::tuple<const char*, int, int> sent[] = {{"<script>alert(\"x\")</script>&'", 2, 4},
                                                      {"a", 2, 1},
                                                      {"b", 2, 1},
                                                      {"", 2, 0},
                                                      {"d", 3, 12}};
    for (auto [name, level, score] : sent) {
        ASSERT_EQ(m_server.Submit(SubmitQuery("Spain", name, level, score))->status, 200);
    }
    struct Words {
        const char* lang;
        std::array<const char*, 3> levels;
        const char *empty, *unnamed, *rankColumn;
    };
    const Words ja{
        "ja", {"イージー", "ノーマル", "ハード"}, "まだ記録がありません。", "(名無し)", "順位"};
    const Words en{"en", {"Easy", "Normal", "Hard"}, "No results yet.", "(no name)", "Rank"};
    const std::pair<const char*, Words> visitors[] = {{"de", ja},
                                                      {"ja, en;q=0.9", ja},
                                                      {"fr, en-GB;q=0.9, ja;q=0.8", en},
                                                      {"en-US,en;q=0.9", en}};
    for (const auto& [accept, v] : visitors) {
        SCOPED_TRACE(accept);
        httplib::Client client("127.0.0.1", m_server.Port());
        auto res = client.Get(std::string(scored::ScoreServer::kResultPath),
                              {{"Accept-Language", accept}});
        ASSERT_TRUE(res);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_NE(res->get_header_value("Content-Security-Policy").find("default-src 'none'"),
                  std::string::npos);
        const std::string& page = res->body;
        EXPECT_NE(page.find("<html lang=\"" + std::string(v.lang) + "\">"), std::string::npos);
        EXPECT_NE(page.find("<th scope=\"col\">" + std::string(v.rankColumn)), std::string::npos);
        size_t easy = page.find("<h2>" + std::string(v.levels[0]) + "</h2>");
        size_t normal = page.find("<h2>" + std::string(v.levels[1]) + "</h2>");
        size_t hard = page.find("<h2>" + std::string(v.levels[2]) + "</h2>");
        ASSERT_TRUE(easy < normal && normal < hard && hard != std::string::npos) << page;
        EXPECT_NE(page.substr(easy, normal - easy).find(v.empty), std::string::npos);
        EXPECT_EQ(Rows(page, normal, hard),
                  (std::vector<std::string>{"1|" + std::string(v.unnamed) + "|Spain|0",
                                            "2|a|Spain|1", "2|b|Spain|1",
                                            "4|&lt;script&gt;alert(&quot;x&quot;)&lt;/"
                                            "script&gt;&amp;&#39;|Spain|4"}));
        EXPECT_EQ(Rows(page, hard, page.size()), (std::vector<std::string>{"1|d|Spain|12"}));
    }
}

using Results = std::vector<std::pair<int, int>>; // level, mistakes

// Before, then mine: its level and mistakes, and the rank and count the player
// is told. Fewer mistakes rank higher; equal scores share a rank; other
// levels do not count.
const std::tuple<Results, int, int, int, int> kRanks[] = {
    {{}, 1, 3, 1, 1},
    {{{3, 1}, {3, 2}, {3, 2}, {3, 4}}, 3, 2, 2, 5},
    {{{3, 0}, {3, 0}}, 3, 0, 1, 3},
    {{{1, 0}, {3, 0}, {2, 5}}, 2, 4, 1, 2},
    {{{1, 99}, {1, 100}, {1, 250}, {1, 999}}, 1, 200, 3, 5},
    {{{1, 99}, {1, 100}, {1, 100}, {1, 101}}, 1, 100, 2, 5},
    {{{3, 0}, {3, 500}, {3, 998}}, 3, 999, 4, 4},
    {Results(60, {2, 100}), 2, 100, 1, 61},
    {Results(60, {2, 100}), 2, 101, 61, 61},
};

TEST_P(ScoreServerTest, RankOnTheLevelOfTheSubmission) {
    const char* const levels[] = {"イージー", "ノーマル", "ハード"};
    for (const auto& [before, level, score, rank, count] : kRanks) {
        const std::string told = std::string(levels[level - 1]) + "で " + std::to_string(count) +
                                 " 件中 " + std::to_string(rank) + " 位です。";
        SCOPED_TRACE(told);
        Scored server{Fresh()};
        server.Start();
        // Sent four at a time, so that results also meet in one batch.
        std::atomic<int> stored{0};
        AtOnce(4, [&, &sent = before](int t) {
            for (size_t i = t; i < sent.size(); i += 4) {
                auto res = server.Submit(SubmitQuery("Japan", "x", sent[i].first, sent[i].second));
                stored += res && res->status == 200;
            }
        });
        ASSERT_EQ(stored, static_cast<int>(before.size()));
        auto res = server.Submit(SubmitQuery("Japan", "me", level, score));
        ASSERT_TRUE(res);
        EXPECT_NE(Utf8(res->body).find(told), std::string::npos);
        if (count > 50) {
            // The page shows the best fifty of a level.
            EXPECT_EQ(Rows(server.ResultPage(), 0, std::string::npos).size(), 50u);
        }
    }
}

// A database from before replays (and, in SQLite, from before ranks were
// counted) is opened with its results as they were, without a link; new
// results come with theirs, and their duels are taken once. What the server
// answered is still there after it was killed without warning.
TEST_P(ScoreServerTest, OlderResultsStayWithoutALinkAndNoneAnsweredIsLost) {
    EXPECT_EQ(m_server.process.Stop(SIGTERM), 0) << "a stop request ends the server cleanly";
    ASSERT_EQ(
        scored::SqlScript::Run(
            m_server.db, std::string("DROP INDEX results_by_duel; ALTER TABLE results DROP "
                                     "COLUMN seed; ALTER TABLE results DROP COLUMN replay; "
                                     "INSERT INTO results (area, name, level, score) VALUES "
                                     "('Japan', 'old', 2, 1), ('Japan', 'easy', 1, 0);") +
                             (GetParam() == Backend::Sqlite ? "PRAGMA user_version = 1;"
                                                            : scored::ScoreStore::kRecountSql)),
        "");
    m_server.Start();
    const std::string query = SubmitQuery("Japan", "new", 2, 3);
    auto res = m_server.Submit(query);
    ASSERT_TRUE(res);
    EXPECT_NE(Utf8(res->body).find("ノーマルで 2 件中 2 位です。"), std::string::npos);
    EXPECT_EQ(m_server.Submit(query)->status, 400);
    EXPECT_EQ(m_server.process.Stop(SIGKILL), 128 + SIGKILL);
    m_server.Start();
    const std::string page = m_server.ResultPage();
    EXPECT_EQ(Rows(page, 0, std::string::npos),
              (std::vector<std::string>{"1|easy|Japan|0", "1|old|Japan|1", "2|new|Japan|3"}));
    const size_t link = page.find("<a href=");
    EXPECT_LT(page.find(">new<"), link);
    EXPECT_EQ(page.find("<a href=", link + 1), std::string::npos) << "the old results have none";
}

int StatusWithin(int port, const std::string& target, int seconds) {
    auto res = Get(port, target, seconds);
    return res ? res->status : 0;
}

// A database that stops answering costs each player a few seconds and a
// "could not save", costs nothing to requests that do not need it, and
// stores nothing it was given once its player has been told so.
TEST(ScoreDurabilityStalled, AHungDatabaseCostsSecondsAndStoresNothingLate) {
    PostgresCluster cluster;
    if (cluster.url.empty()) {
        GTEST_SKIP() << cluster.why;
    }
    Scored server{cluster.url};
    server.Start();
    // Each a duel of its own, so that none late would be refused as a copy.
    auto submit = [] {
        return std::string(scored::ScoreServer::kSubmitPath) + "?" +
               SubmitQuery("Japan", "a", 1, 3);
    };
    const std::string page(scored::ScoreServer::kResultPath);
    ASSERT_EQ(StatusWithin(server.Port(), submit(), 5), 200);

    cluster.Freeze(true);
    std::atomic<int> unsaved{0};
    std::thread players([&] {
        AtOnce(12, [&](int i) {
            unsaved += StatusWithin(server.Port(), i % 2 ? submit() : page, 5) == 503;
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(StatusWithin(server.Port(), "/other", 1), 404);
    EXPECT_EQ(
        StatusWithin(server.Port(), std::string(scored::ScoreServer::kSubmitPath) + "?x=1", 1),
        400);
    players.join();
    EXPECT_EQ(unsaved, 12);

    cluster.Freeze(false);
    // Time for anything the database still held to be stored, if it could be.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    auto res = server.Submit(SubmitQuery("Japan", "b", 1, 3));
    ASSERT_TRUE(res);
    EXPECT_NE(Utf8(res->body).find("イージーで 2 件中 1 位です。"), std::string::npos);
    // The outage is said once, then counted, however many it turned away.
    const std::string& log = server.process.Output(200);
    EXPECT_EQ(log.find("cannot", log.find("cannot") + 1), std::string::npos) << log;
    EXPECT_NE(log.find("answers again (11 more failures"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreServerTest,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) -> std::string {
                             return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
                         });

} // namespace
