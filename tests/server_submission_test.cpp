#include "server_fixture.h"

#include <string>

namespace {

using server_test::ScoreServerTest;
using server_test::Utf8;

const char* const kValid = "aria=Japan&name=Taro&mode=0&level=2&score=3";

// A submission is stored exactly as sent, or refused (400, nothing stored)
// with the reason the player reads.
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
    {"aria=Japan&name=Taro&mode=0&level=2&score=1e3", "スコアは 0 から 9999 です。"},
    {"aria=Secret&name=A&mode=0&level=1&score=0", nullptr, "Secret", "A", 1, 0},
    {"aria=Zimbabwe&name=B&mode=0&level=3&score=9999", nullptr, "Zimbabwe", "B", 3, 9999},
    {"aria=Antigua+and+Barbuda&name=D&mode=0&level=2&score=2", nullptr, "Antigua and Barbuda", "D",
     2, 2},
    {"score=0007&level=1&mode=0&name=E&aria=Japan", nullptr, "Japan", "E", 1, 7},
    // The characters that would cut or change an unencoded query.
    {"aria=Japan&name=a%26b%3Dc%23d%25e%2bf%20g+h&mode=0&level=1&score=5", nullptr, "Japan",
     "a&b=c#d%e+f g h", 1, 5},
    {"aria=Japan&name=100%&mode=0&level=1&score=6", nullptr, "Japan", "100%", 1, 6},
    // CP932 names are stored as UTF-8. CP932 differs from plain Shift_JIS
    // exactly where a wrong table would show: the backslash, the tilde, the
    // wave dash and the NEC and IBM extensions.
    {"aria=Japan&name=%8E%52%93%63%B6%C0%C5&mode=0&level=1&score=1", nullptr, "Japan", "山田ｶﾀﾅ", 1,
     1},
    {"aria=Japan&name=%5C%7E%81%60&mode=0&level=1&score=2", nullptr, "Japan", "\\~～", 1, 2},
    {"aria=Japan&name=%87%40%87%94%FB%FC&mode=0&level=1&score=3", nullptr, "Japan", "①∑髙", 1, 3},
    // 32 characters of two bytes each: the limit counts characters.
    {"aria=Japan&name="
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52%8E%52"
     "&mode=0&level=1&score=9",
     nullptr, "Japan", "山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山山", 1, 9},
};

TEST_P(ScoreServerTest, EachSubmissionIsStoredAsSentOrRefusedWithItsReason) {
    for (const SubmissionCase& c : kSubmissions) {
        SCOPED_TRACE(c.query);
        const int64_t before = m_server.Rows();
        auto res = m_server.Submit(c.query);
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
        int found = 0;
        for (const auto& row : *best) {
            found += row.name == c.name && row.area == c.area && row.score == c.score;
        }
        EXPECT_EQ(found, 1);
    }
}

TEST_P(ScoreServerTest, StorageFailureIsSaidAndNothingClaimed) {
    // Another hand takes the table away under the running server.
    ASSERT_TRUE(server_test::ExecuteSql(m_server.db, "DROP TABLE results"));

    auto res = m_server.Submit(kValid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 503);
    EXPECT_NE(Utf8(res->body).find("サーバーで保存できませんでした。"), std::string::npos);
    auto page = m_server.Get(std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 503);
    EXPECT_NE(page->body.find("記録を読み込めませんでした。"), std::string::npos);
}

} // namespace
