#include "server/score_pages.h"

#include "server/answer_texts.h"
#include "server/cp932.h"

namespace scored {
namespace {

constexpr std::string_view kPageHead = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>キリカゼ ネット記録</title>
<style>
body { font-family: sans-serif; margin: 1em auto; max-width: 48em; padding: 0 1em; }
table { border-collapse: collapse; margin-bottom: 2em; width: 100%; }
th, td { border: 1px solid #888; padding: 0.3em 0.6em; text-align: left; }
td.number { text-align: right; }
</style>
</head>
<body>
<h1>キリカゼ ネット記録</h1>
)";

constexpr std::string_view kPageFoot = "</body>\n</html>\n";

void AppendTable(std::string& page, const std::vector<StoredResult>& rows) {
    if (rows.empty()) {
        page += "<p>まだ記録がありません。</p>\n";
        return;
    }
    page += "<table>\n<thead><tr><th scope=\"col\">順位</th><th scope=\"col\">名前</th>"
            "<th scope=\"col\">地域</th><th scope=\"col\">ミス</th>"
            "<th scope=\"col\">日時 (UTC)</th></tr></thead>\n<tbody>\n";
    int rank = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const StoredResult& row = rows[i];
        // Equal scores share a rank; the next score skips the places they took.
        if (i == 0 || row.score != rows[i - 1].score) {
            rank = static_cast<int>(i) + 1;
        }
        std::string name = row.name.empty() ? "(名無し)" : ScorePages::EscapeHtml(row.name);
        page += "<tr><td class=\"number\">" + std::to_string(rank) + "</td><td>" + name +
                "</td><td>" + ScorePages::EscapeHtml(row.area) + "</td><td class=\"number\">" +
                std::to_string(row.score) + "</td><td>" + ScorePages::EscapeHtml(row.when) +
                "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n";
}

} // namespace

std::string ScorePages::Answer(const std::vector<std::string>& lines) {
    std::string page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=Shift_JIS\"><title>キリカゼ</title></head><body>\r\n"
                       "<!-- DATA_START -->\r\n";
    for (const std::string& line : lines) {
        page += line + "\r\n";
    }
    page += "<!-- DATA_END -->\r\n</body></html>\r\n";
    // Every text we answer with is our own and fits CP932.
    return Cp932::FromUtf8(page).value_or("");
}

std::string ScorePages::ResultPage(const std::array<std::vector<StoredResult>, 3>& best) {
    std::string page(kPageHead);
    page += "<p>ミスの少ない順です。ミスの数が同じときは先に送られた記録が上になります。</p>\n";
    for (int level = 1; level <= 3; ++level) {
        page += "<h2>" + std::string(LevelName(level)) + "</h2>\n";
        AppendTable(page, best[level - 1]);
    }
    page += kPageFoot;
    return page;
}

std::string ScorePages::UnavailablePage() {
    return std::string(kPageHead) +
           "<p>記録を読み込めませんでした。しばらくしてから開き直してください。</p>\n" +
           std::string(kPageFoot);
}

std::string ScorePages::EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string_view ScorePages::LevelName(int level) {
    return level >= 1 && level <= 3 ? AnswerTexts::Japanese().levelNames[level - 1]
                                    : std::string_view();
}

} // namespace scored
