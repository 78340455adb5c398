#include "server/score_pages.h"

#include "server/answer_texts.h"
#include "server/cp932.h"
#include "server/score_server.h"

namespace scored {
namespace {

constexpr std::string_view kStyle = R"(<style>
body { font-family: sans-serif; margin: 1em auto; max-width: 48em; padding: 0 1em; }
table { border-collapse: collapse; margin-bottom: 2em; width: 100%; }
th, td { border: 1px solid #888; padding: 0.3em 0.6em; text-align: left; }
td.number { text-align: right; }
</style>
)";

constexpr std::string_view kPageFoot = "</body>\n</html>\n";

std::string PageHead(const AnswerTexts& texts) {
    const std::string title(texts.pageTitle);
    return "<!DOCTYPE html>\n<html lang=\"" + std::string(texts.lang) +
           "\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           title + "</title>\n" + std::string(kStyle) + "</head>\n<body>\n<h1>" + title + "</h1>\n";
}

void AppendTable(std::string& page, const std::vector<StoredResult>& rows,
                 const AnswerTexts& texts) {
    if (rows.empty()) {
        page += "<p>" + std::string(texts.noResults) + "</p>\n";
        return;
    }
    page += "<table>\n<thead><tr>";
    for (std::string_view column : texts.columns) {
        page += "<th scope=\"col\">" + std::string(column) + "</th>";
    }
    page += "</tr></thead>\n<tbody>\n";
    int rank = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const StoredResult& row = rows[i];
        // Equal scores share a rank; the next score skips the places they took.
        if (i == 0 || row.score != rows[i - 1].score) {
            rank = static_cast<int>(i) + 1;
        }
        std::string name =
            row.name.empty() ? std::string(texts.unnamed) : ScorePages::EscapeHtml(row.name);
        // Results stored before replays were asked for have none to offer.
        std::string replay;
        if (row.hasReplay) {
            replay = "<a href=\"" + std::string(ScoreServer::kReplayPath) +
                     "?id=" + std::to_string(row.id) + "\">" + std::string(texts.columns[5]) +
                     "</a>";
        }
        page += "<tr><td class=\"number\">" + std::to_string(rank) + "</td><td>" + name +
                "</td><td>" + ScorePages::EscapeHtml(row.area) + "</td><td class=\"number\">" +
                std::to_string(row.score) + "</td><td>" + ScorePages::EscapeHtml(row.when) +
                "</td><td>" + replay + "</td></tr>\n";
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

std::string ScorePages::ResultPage(const std::array<std::vector<StoredResult>, 3>& best,
                                   const AnswerTexts& texts) {
    std::string page = PageHead(texts) + "<p>" + std::string(texts.pageOrder) + "</p>\n";
    for (int level = 1; level <= 3; ++level) {
        page += "<h2>" + std::string(texts.levelNames[level - 1]) + "</h2>\n";
        AppendTable(page, best[level - 1], texts);
    }
    page += kPageFoot;
    return page;
}

std::string ScorePages::UnavailablePage(const AnswerTexts& texts) {
    return PageHead(texts) + "<p>" + std::string(texts.unreadable) + "</p>\n" +
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

} // namespace scored
