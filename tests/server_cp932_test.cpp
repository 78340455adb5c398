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

} // namespace
