#include "server_fixture.h"

namespace {

using server_test::ScoreServerTest;

TEST_P(ScoreServerTest, ResultPageEscapesWhatPlayersTyped) {
    const std::string name = "<script>alert(\"x\")</script>&'";
    ASSERT_EQ(m_server.Submit(server_test::SubmitQuery("Japan", name, 1, 0))->status, 200);
    auto res = m_server.Get(std::string(scored::ScoreServer::kResultPath));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(res->get_header_value("Content-Security-Policy").find("default-src 'none'"),
              std::string::npos);
    const std::string& page = res->body;
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;"),
              std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("&'"), std::string::npos);
}

// Row cells in page order: rank, name, area, mistakes.
std::vector<std::string> Rows(const std::string& page, size_t from, size_t to) {
    std::vector<std::string> rows;
    for (size_t at = page.find("<tr><td", from); at < to; at = page.find("<tr><td", at + 1)) {
        std::string row = page.substr(at, page.find("</tr>", at) - at);
        std::string cells;
        for (size_t c = row.find("<td"); c != std::string::npos; c = row.find("<td", c + 1)) {
            size_t open = row.find('>', c) + 1;
            cells += (cells.empty() ? "" : "|") + row.substr(open, row.find("</td>", open) - open);
        }
        // The time stamp differs from run to run.
        rows.push_back(cells.substr(0, cells.rfind('|')));
    }
    return rows;
}

// The same table for every visitor; its words in English for those who
// prefer English to Japanese.
TEST_P(ScoreServerTest, ResultPageListsBestFirstPerLevel) {
    const std::tuple<const char*, int, int> sent[] = {
        {"c", 2, 4}, {"a", 2, 1}, {"b", 2, 1}, {"", 2, 0}, {"d", 3, 9999}};
    for (auto [name, level, score] : sent) {
        ASSERT_EQ(m_server.Submit(server_test::SubmitQuery("Spain", name, level, score))->status,
                  200);
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
        const std::string& page = res->body;
        EXPECT_NE(page.find("<html lang=\"" + std::string(v.lang) + "\">"), std::string::npos);
        EXPECT_NE(page.find("<th scope=\"col\">" + std::string(v.rankColumn)), std::string::npos);
        size_t easy = page.find("<h2>" + std::string(v.levels[0]) + "</h2>");
        size_t normal = page.find("<h2>" + std::string(v.levels[1]) + "</h2>");
        size_t hard = page.find("<h2>" + std::string(v.levels[2]) + "</h2>");
        ASSERT_LT(easy, normal);
        ASSERT_LT(normal, hard);
        ASSERT_NE(hard, std::string::npos);
        EXPECT_NE(page.substr(easy, normal - easy).find(v.empty), std::string::npos);
        EXPECT_EQ(Rows(page, normal, hard),
                  (std::vector<std::string>{"1|" + std::string(v.unnamed) + "|Spain|0",
                                            "2|a|Spain|1", "2|b|Spain|1", "4|c|Spain|4"}));
        EXPECT_EQ(Rows(page, hard, page.size()), (std::vector<std::string>{"1|d|Spain|9999"}));
    }
}

TEST_P(ScoreServerTest, ResultPageShowsOnlyTheBestFiftyOfALevel) {
    scored::Submission s{"Japan", "", 1, 0};
    std::string error;
    for (int i = 0; i <= scored::ScoreServer::kBestPerLevel; ++i) {
        s.name = "p" + std::to_string(i);
        s.score = scored::ScoreServer::kBestPerLevel - i;
        ASSERT_TRUE(m_server.Store().Add(s, error)) << error;
    }
    auto rows = Rows(m_server.ResultPage(), 0, std::string::npos);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.front(), "1|p50|Japan|0");
    EXPECT_EQ(rows.back(), "50|p1|Japan|49");
}

} // namespace
