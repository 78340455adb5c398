#include "server_fixture.h"

namespace {

using server_test::ScoreServerTest;

struct Cp932Case {
    const char* encoded; // the name as it arrives, percent-encoded CP932
    const char* utf8;    // what must be stored and shown
};

// CP932 differs from plain Shift_JIS exactly where a wrong table would show:
// the backslash, the tilde, the wave dash and the NEC and IBM extensions.
const Cp932Case kNames[] = {
    {"%8E%52%93%63%91%BE%98%59", "山田太郎"},
    {"%B6%C0%C5", "ｶﾀﾅ"},
    {"%5C%7E", "\\~"},
    {"%81%60", "～"},
    {"%87%40%87%94", "①∑"},
    {"%FB%FC", "髙"},
    {"Taro%81%40%8E%52%93%63", "Taro　山田"},
};

TEST_F(ScoreServerTest, Cp932NamesAreStoredAndShownAsUtf8) {
    for (const Cp932Case& c : kNames) {
        SCOPED_TRACE(c.utf8);
        auto res = m_server.Submit(std::string("aria=Japan&name=") + c.encoded +
                                   "&mode=0&level=1&score=0");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
    }
    auto best = m_server.Store().Best(1, 50);
    ASSERT_TRUE(best);
    ASSERT_EQ(best->size(), std::size(kNames));
    std::string page = m_server.ResultPage();
    for (size_t i = 0; i < std::size(kNames); ++i) {
        EXPECT_EQ((*best)[i].name, kNames[i].utf8);
        EXPECT_NE(page.find(kNames[i].utf8), std::string::npos) << kNames[i].utf8;
    }
}

TEST_F(ScoreServerTest, AnswerIsCp932) {
    auto res = m_server.Submit(server_test::SubmitQuery("Japan", "山田", 2, 1));
    ASSERT_TRUE(res);
    // "記録" in CP932; in UTF-8 these bytes never appear.
    EXPECT_NE(res->body.find("\x8B\x4C\x98\x5E"), std::string::npos);
    EXPECT_EQ(res->body.find("記録"), std::string::npos);
    EXPECT_EQ(server_test::MessageLines(res->body),
              (std::vector<std::string>{"記録しました。", "ノーマルで 1 件中 1 位です。"}));
}

TEST(Cp932, RoundTripAndRefusals) {
    const std::string text = "山田太郎 ｶﾀﾅ ①～\\~";
    auto bytes = scored::Cp932::FromUtf8(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(scored::Cp932::ToUtf8(*bytes), text);
    // A lone lead byte at the end, and a character CP932 does not have.
    EXPECT_FALSE(scored::Cp932::ToUtf8("\x8E\x52\x93"));
    EXPECT_FALSE(scored::Cp932::FromUtf8("😀"));
    EXPECT_FALSE(scored::Cp932::FromUtf8("\xE5\xB1"));
}

} // namespace
