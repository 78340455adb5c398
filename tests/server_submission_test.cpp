#include "server_fixture.h"

#include <sqlite3.h>
#include <string>

namespace {

using server_test::ScoreServerTest;

struct RefusalCase {
    const char* query;
    const char* reason;
};

const char* const kValid = "aria=Japan&name=Taro&mode=0&level=2&score=3";

// Every way a submission can be wrong, each with the reason the player reads.
const RefusalCase kRefusals[] = {
    {"", "地域がありません。"},
    {"name=Taro&mode=0&level=2&score=3", "地域がありません。"},
    {"aria=Japan&mode=0&level=2&score=3", "名前がありません。"},
    {"aria=Japan&name=Taro&level=2&score=3", "モードがありません。"},
    {"aria=Japan&name=Taro&mode=0&score=3", "レベルがありません。"},
    {"aria=Japan&name=Taro&mode=0&level=2", "スコアがありません。"},
    {"aria=Japan&name=Taro&name=Jiro&mode=0&level=2&score=3", "名前が二つ以上あります。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=3&score=0", "スコアが二つ以上あります。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=3&extra=1", "余分な項目があります。"},
    // An unencoded "&" in a name must not store a cut-off name.
    {"aria=Japan&name=Tom&Jerry&mode=0&level=2&score=3", "余分な項目があります。"},
    {"ARIA=Japan&name=Taro&mode=0&level=2&score=3", "余分な項目があります。"},
    {"aria=&name=Taro&mode=0&level=2&score=3", "地域を選んでください。"},
    {"aria=japan&name=Taro&mode=0&level=2&score=3", "地域がリストにありません。"},
    {"aria=Japan%20&name=Taro&mode=0&level=2&score=3", "地域がリストにありません。"},
    {"aria=Atlantis&name=Taro&mode=0&level=2&score=3", "地域がリストにありません。"},
    {"aria=Japan&name=123456789012345678901234567890123&mode=0&level=2&score=3",
     "名前は 32 文字までです。"},
    // 33 two-byte characters: characters are counted, not bytes.
    {"aria=Japan&name="
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "&mode=0&level=2&score=3",
     "名前は 32 文字までです。"},
    {"aria=Japan&name=%82&mode=0&level=2&score=3", "名前の文字コードが CP932 ではありません。"},
    {"aria=Japan&name=%82%20&mode=0&level=2&score=3", "名前の文字コードが CP932 ではありません。"},
    {"aria=Japan&name=%85%40&mode=0&level=2&score=3", "名前の文字コードが CP932 ではありません。"},
    {"aria=Japan&name=Ta%0Aro&mode=0&level=2&score=3", "名前に使えない文字があります。"},
    {"aria=Japan&name=Ta%09ro&mode=0&level=2&score=3", "名前に使えない文字があります。"},
    {"aria=Japan&name=Ta%7Fro&mode=0&level=2&score=3", "名前に使えない文字があります。"},
    {"aria=Japan&name=Ta%00ro&mode=0&level=2&score=3", "名前に使えない文字があります。"},
    {"aria=Japan&name=Taro&mode=1&level=2&score=3", "モードは 0 だけです。"},
    {"aria=Japan&name=Taro&mode=&level=2&score=3", "モードは 0 だけです。"},
    {"aria=Japan&name=Taro&mode=00&level=2&score=3", "モードは 0 だけです。"},
    {"aria=Japan&name=Taro&mode=0&level=0&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=4&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=-1&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=02&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=1.0&score=3", "レベルは 1 から 3 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=-1", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=10000", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=1e3", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=%205", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=0x10", "スコアは 0 から 9999 です。"},
    {"aria=Japan&name=Taro&mode=0&level=2&score=99999999999999999999",
     "スコアは 0 から 9999 です。"},
};

TEST_F(ScoreServerTest, EveryRefusalNamesItsReasonAndStoresNothing) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.query);
        auto res = m_server.Submit(c.query);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=Shift_JIS");
        EXPECT_EQ(server_test::MessageLines(res->body),
                  (std::vector<std::string>{"記録できませんでした。", c.reason}));
    }
    EXPECT_EQ(m_server.Rows(), 0);
    // The same server still takes a sound submission afterwards.
    auto res = m_server.Submit(kValid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(m_server.Rows(), 1);
}

struct AcceptCase {
    const char* query;
    const char* area;
    const char* name;
    int level;
    int score;
};

const AcceptCase kAccepted[] = {
    {"aria=Secret&name=A&mode=0&level=1&score=0", "Secret", "A", 1, 0},
    {"aria=Zimbabwe&name=B&mode=0&level=3&score=9999", "Zimbabwe", "B", 3, 9999},
    {"aria=Antigua%20and%20Barbuda&name=C&mode=0&level=2&score=1", "Antigua and Barbuda", "C", 2,
     1},
    {"aria=Antigua+and+Barbuda&name=D&mode=0&level=2&score=2", "Antigua and Barbuda", "D", 2, 2},
    // Fields in any order; the leading zero of a score changes nothing.
    {"score=0007&level=1&mode=0&name=E&aria=Japan", "Japan", "E", 1, 7},
    // The characters that would cut or change an unencoded query.
    {"aria=Japan&name=a%26b%3Dc%23d%25e%2bf%20g+h&mode=0&level=1&score=5", "Japan",
     "a&b=c#d%e+f g h", 1, 5},
    // A "%" without two hex digits after it is kept as it came.
    {"aria=Japan&name=100%&mode=0&level=1&score=6", "Japan", "100%", 1, 6},
    {"aria=Japan&name=%zz&mode=0&level=1&score=6", "Japan", "%zz", 1, 6},
    {"aria=Japan&name=&mode=0&level=1&score=8", "Japan", "", 1, 8},
    {"aria=Japan&name=12345678901234567890123456789012&mode=0&level=1&score=9", "Japan",
     "12345678901234567890123456789012", 1, 9},
    // 32 characters of two bytes each: the limit counts characters.
    {"aria=Japan&name="
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "&mode=0&level=1&score=9",
     "Japan", "山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山", 1, 9},
};

TEST_F(ScoreServerTest, SoundSubmissionsAreStoredExactlyAsSent) {
    for (const AcceptCase& c : kAccepted) {
        SCOPED_TRACE(c.query);
        auto res = m_server.Submit(c.query);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        ASSERT_EQ(server_test::MessageLines(res->body).size(), 2u);
        EXPECT_EQ(server_test::MessageLines(res->body)[0], "記録しました。");
    }
    EXPECT_EQ(m_server.Rows(), static_cast<int64_t>(std::size(kAccepted)));
    for (const AcceptCase& c : kAccepted) {
        SCOPED_TRACE(c.query);
        auto best = m_server.Store().Best(c.level, 50);
        ASSERT_TRUE(best);
        int found = 0;
        for (const auto& row : *best) {
            found += row.name == c.name && row.area == c.area && row.score == c.score;
        }
        EXPECT_EQ(found, 1);
    }
}

TEST_F(ScoreServerTest, StorageFailureIsSaidAndNothingClaimed) {
    // Another hand takes the table away under the running server.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_dir.Path() + "/scores.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE results", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto res = m_server.Submit(kValid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 503);
    EXPECT_EQ(server_test::MessageLines(res->body),
              (std::vector<std::string>{
                  "記録できませんでした。",
                  "サーバーで保存できませんでした。時間をおいて送り直してください。"}));
    auto page = m_server.Get(std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 503);
    EXPECT_NE(page->body.find("記録を読み込めませんでした。"), std::string::npos);
}

TEST_F(ScoreServerTest, HeadRequestStoresNothing) {
    httplib::Client client("127.0.0.1", m_server.Port());
    auto res = client.Head((std::string(scored::ScoreServer::kSubmitPath) + "?" + kValid).c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 405);
    EXPECT_EQ(m_server.Rows(), 0);
}

} // namespace
