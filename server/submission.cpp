#include "server/submission.h"

#include "duel/referee.h"
#include "resources/area_list.h"
#include "server/cp932.h"
#include "server/query_string.h"

#include <algorithm>
#include <array>
#include <optional>

namespace scored {
namespace {

// The order of this table is the order in which faults are reported, and
// of the labels that name the fields in the answer's texts.
constexpr std::array<std::string_view, 6> kFields = {"aria",  "name",  "mode",
                                                     "level", "score", "replay"};

enum Field { kArea, kName, kMode, kLevel, kScore, kReplay };

Refusal Refuse(std::string reason) {
    return Refusal{std::move(reason)};
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Counts characters of well-formed UTF-8; nothing when one is a control
// character, which has no place in a name shown on a score table.
std::optional<int> CountPrintable(std::string_view utf8) {
    int count = 0;
    for (size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        bool c0 = lead < 0x20 || lead == 0x7F;
        bool c1 =
            lead == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (c0 || c1) {
            return std::nullopt;
        }
        i += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        ++count;
    }
    return count;
}

std::optional<Refusal> CheckArea(const std::string& area, const AnswerTexts& texts) {
    if (area.empty()) {
        return Refuse(std::string(texts.chooseArea));
    }
    if (std::find(kAreaList.begin(), kAreaList.end(), area) == kAreaList.end()) {
        return Refuse(std::string(texts.areaNotListed));
    }
    return std::nullopt;
}

std::optional<Refusal> CheckName(const std::string& raw, std::string& name,
                                 const AnswerTexts& texts) {
    std::optional<std::string> utf8 = Cp932::ToUtf8(raw);
    if (!utf8) {
        return Refuse(std::string(texts.nameNotCp932));
    }
    std::optional<int> chars = CountPrintable(*utf8);
    if (!chars) {
        return Refuse(std::string(texts.nameUnusable));
    }
    if (*chars > Submission::kMaxNameChars) {
        return Refuse(std::string(texts.nameTooLong));
    }
    name = std::move(*utf8);
    return std::nullopt;
}

// Runs the replay's duel again: the result stands only when it was won at
// the level claimed with the mistakes claimed. It is kept as the game
// writes it, whatever newline or leading zeros came with it.
std::optional<Refusal> CheckReplay(const std::optional<std::string>& text, Submission& s,
                                   const AnswerTexts& texts) {
    auto unproved = [&texts](std::string_view why) {
        return Refuse(AnswerTexts::Fill(texts.unverified, {std::string(why)}));
    };
    if (!text) {
        return unproved(texts.replayMissing);
    }
    std::optional<duel::Replay> replay = duel::Replay::Parse(*text);
    if (!replay) {
        return unproved(texts.replayUnreadable);
    }
    if (replay->level != s.level) {
        return unproved(texts.replayOtherLevel);
    }
    const duel::Referee::Verdict verdict = duel::Referee::Judge(*replay);
    switch (verdict.outcome) {
    case duel::Referee::Outcome::TooFast:
        return unproved(texts.replayTooFast);
    case duel::Referee::Outcome::Lost:
        return unproved(texts.replayLost);
    case duel::Referee::Outcome::Won:
        break;
    }
    if (verdict.score != s.score) {
        return unproved(texts.replayOtherScore);
    }
    s.replay = replay->Text();
    s.seed = replay->seed;
    return std::nullopt;
}

} // namespace

std::variant<Submission, Refusal> Submission::FromQuery(std::string_view query,
                                                        const AnswerTexts& texts) {
    auto label = [&texts](size_t field) { return std::string(texts.fieldLabels[field]); };
    std::array<std::optional<std::string>, kFields.size()> values;
    for (QueryString::Field& pair : QueryString::Parse(query)) {
        auto it = std::find(kFields.begin(), kFields.end(), pair.first);
        if (it == kFields.end()) {
            return Refuse(std::string(texts.extraField));
        }
        const size_t field = it - kFields.begin();
        auto& slot = values[field];
        if (slot) {
            return Refuse(AnswerTexts::Fill(texts.fieldTwice, {label(field)}));
        }
        slot = std::move(pair.second);
    }
    for (size_t i = 0; i < kReplay; ++i) {
        if (!values[i]) {
            return Refuse(AnswerTexts::Fill(texts.fieldMissing, {label(i)}));
        }
    }

    Submission s;
    if (auto refusal = CheckArea(*values[kArea], texts)) {
        return *refusal;
    }
    s.area = *values[kArea];
    if (auto refusal = CheckName(*values[kName], s.name, texts)) {
        return *refusal;
    }
    if (*values[kMode] != "0") {
        return Refuse(std::string(texts.modeRange));
    }
    const std::string& level = *values[kLevel];
    if (level.size() != 1 || level[0] < '1' || level[0] > '3') {
        return Refuse(std::string(texts.levelRange));
    }
    s.level = level[0] - '0';
    const std::string& score = *values[kScore];
    if (score.empty() || score.size() > 4 || !AllDigits(score)) {
        return Refuse(std::string(texts.scoreRange));
    }
    s.score = std::stoi(score);
    if (auto refusal = CheckReplay(values[kReplay], s, texts)) {
        return *refusal;
    }
    return s;
}

} // namespace scored
