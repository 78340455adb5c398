#include "server/answer_texts.h"

#include <cstdlib>
#include <vector>

namespace scored {
namespace {

const AnswerTexts kJapanese{
    "記録しました。",
    "記録できませんでした。",
    "サーバーで保存できませんでした。時間をおいて送り直してください。",
    "サーバーの空き容量が足りません。しばらくしてから送り直してください。",
    "{0}で {1} 件中 {2} 位です。",
    {"イージー", "ノーマル", "ハード"},
    {"地域", "名前", "モード", "レベル", "スコア", "リプレイ"},
    "地域を選んでください。",
    "地域がリストにありません。",
    "名前の文字コードが CP932 ではありません。",
    "名前に使えない文字があります。",
    "名前は 32 文字までです。",
    "余分な項目があります。",
    "{0}が二つ以上あります。",
    "{0}がありません。",
    "モードは 0 だけです。",
    "レベルは 1 から 3 です。",
    "スコアは 0 から 9999 です。",
    "この記録は確かめられませんでした。{0}",
    "リプレイが付いていません。",
    "リプレイが壊れているか、長すぎます。",
    "リプレイの決闘が勝って終わっていません。",
    "リプレイのレベルが違います。",
    "リプレイのミスの数がスコアと違います。",
    "リプレイに人には間に合わない速さの受けがあります。",
    "この対戦はもう記録されています。",
    "ja",
    "キリカゼ ネット記録",
    "ミスの少ない順です。ミスの数が同じときは先に送られた記録が上になります。",
    {"順位", "名前", "地域", "ミス", "日時 (UTC)", "リプレイ"},
    "まだ記録がありません。",
    "(名無し)",
    "記録を読み込めませんでした。しばらくしてから開き直してください。",
};

const AnswerTexts kEnglish{
    "Your score is recorded.",
    "Your score could not be recorded.",
    "The server could not save it. Please send it again later.",
    "The server is short of disk space. Please send it again later.",
    "{0}: rank {2} of {1}.",
    {"Easy", "Normal", "Hard"},
    {"Area", "Name", "Mode", "Level", "Score", "Replay"},
    "Please choose an area.",
    "The area is not on the list.",
    "The name is not in CP932.",
    "The name has a character that cannot be used.",
    "A name has at most 32 characters.",
    "There is a field too many.",
    "{0} is given more than once.",
    "{0} is missing.",
    "The mode can only be 0.",
    "The level is 1 to 3.",
    "The score is 0 to 9999.",
    "This result could not be verified. {0}",
    "It came without its replay.",
    "Its replay is damaged or too long.",
    "Its replay does not end in a won duel.",
    "Its replay is of another level.",
    "Its replay has another number of mistakes than the score.",
    "Its replay has a guard faster than a person can answer.",
    "This duel is already on the table.",
    "en",
    "Kirikaze online scores",
    "Fewest mistakes first; of equal mistakes, the result sent first comes first.",
    {"Rank", "Name", "Area", "Mistakes", "Date (UTC)", "Replay"},
    "No results yet.",
    "(no name)",
    "The results could not be read. Please open the page again in a while.",
};

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsLanguage(std::string_view tag, std::string_view language) {
    if (tag.size() < language.size() ||
        (tag.size() > language.size() && tag[language.size()] != '-')) {
        return false;
    }
    for (size_t i = 0; i < language.size(); ++i) {
        if ((tag[i] | 0x20) != language[i]) {
            return false;
        }
    }
    return true;
}

// The weight a range carries: 1 unless ";q=" says otherwise.
double Weight(std::string_view params) {
    size_t q = params.find("q=");
    if (q == std::string_view::npos) {
        return 1;
    }
    const std::string value(Trimmed(params.substr(q + 2)));
    char* end = nullptr;
    double weight = std::strtod(value.c_str(), &end);
    return end == value.c_str() ? 1 : weight;
}

} // namespace

const AnswerTexts& AnswerTexts::Japanese() {
    return kJapanese;
}

const AnswerTexts& AnswerTexts::For(std::string_view acceptLanguage) {
    // The heavier of the two wins; of equal weights the one listed first, as
    // the list's order is the client's own preference. q=0 means "not this".
    const AnswerTexts* chosen = &kJapanese;
    double best = 0;
    while (!acceptLanguage.empty()) {
        const size_t comma = acceptLanguage.find(',');
        const std::string_view range = acceptLanguage.substr(0, comma);
        acceptLanguage.remove_prefix(comma == std::string_view::npos ? acceptLanguage.size()
                                                                     : comma + 1);
        const size_t semicolon = range.find(';');
        const std::string_view tag = Trimmed(range.substr(0, semicolon));
        const double weight =
            semicolon == std::string_view::npos ? 1 : Weight(range.substr(semicolon + 1));
        if (weight > best && (IsLanguage(tag, "ja") || IsLanguage(tag, "en"))) {
            best = weight;
            chosen = IsLanguage(tag, "en") ? &kEnglish : &kJapanese;
        }
    }
    return *chosen;
}

std::string AnswerTexts::Fill(std::string_view pattern, std::initializer_list<std::string> args) {
    std::string text(pattern);
    size_t i = 0;
    for (const std::string& arg : args) {
        const std::string mark = "{" + std::to_string(i++) + "}";
        if (size_t at = text.find(mark); at != std::string::npos) {
            text.replace(at, mark.size(), arg);
        }
    }
    return text;
}

} // namespace scored
