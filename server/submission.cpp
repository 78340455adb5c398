#include "server/submission.h"

#include "resources/area_list.h"
#include "server/cp932.h"
#include "server/query_string.h"

#include <algorithm>
#include <array>
#include <optional>

namespace scored {
namespace {

struct FieldInfo {
    std::string_view key;
    std::string_view label;
};

// The order of this table is the order in which faults are reported.
constexpr std::array<FieldInfo, 5> kFields = {{
    {"aria", "地域"},
    {"name", "名前"},
    {"mode", "モード"},
    {"level", "レベル"},
    {"score", "スコア"},
}};

enum Field { kArea, kName, kMode, kLevel, kScore };

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

std::optional<Refusal> CheckArea(const std::string& area) {
    if (area.empty()) {
        return Refuse("地域を選んでください。");
    }
    if (std::find(kAreaList.begin(), kAreaList.end(), area) == kAreaList.end()) {
        return Refuse("地域がリストにありません。");
    }
    return std::nullopt;
}

std::optional<Refusal> CheckName(const std::string& raw, std::string& name) {
    std::optional<std::string> utf8 = Cp932::ToUtf8(raw);
    if (!utf8) {
        return Refuse("名前の文字コードが CP932 ではありません。");
    }
    std::optional<int> chars = CountPrintable(*utf8);
    if (!chars) {
        return Refuse("名前に使えない文字があります。");
    }
    if (*chars > Submission::kMaxNameChars) {
        return Refuse("名前は 32 文字までです。");
    }
    name = std::move(*utf8);
    return std::nullopt;
}

} // namespace

std::variant<Submission, Refusal> Submission::FromQuery(std::string_view query) {
    std::array<std::optional<std::string>, kFields.size()> values;
    for (QueryString::Field& field : QueryString::Parse(query)) {
        const std::string& key = field.first;
        auto it = std::find_if(kFields.begin(), kFields.end(),
                               [&key](const FieldInfo& f) { return f.key == key; });
        if (it == kFields.end()) {
            return Refuse("余分な項目があります。");
        }
        auto& slot = values[it - kFields.begin()];
        if (slot) {
            return Refuse(std::string(it->label) + "が二つ以上あります。");
        }
        slot = std::move(field.second);
    }
    for (size_t i = 0; i < kFields.size(); ++i) {
        if (!values[i]) {
            return Refuse(std::string(kFields[i].label) + "がありません。");
        }
    }

    Submission s;
    if (auto refusal = CheckArea(*values[kArea])) {
        return *refusal;
    }
    s.area = *values[kArea];
    if (auto refusal = CheckName(*values[kName], s.name)) {
        return *refusal;
    }
    if (*values[kMode] != "0") {
        return Refuse("モードは 0 だけです。");
    }
    const std::string& level = *values[kLevel];
    if (level.size() != 1 || level[0] < '1' || level[0] > '3') {
        return Refuse("レベルは 1 から 3 です。");
    }
    s.level = level[0] - '0';
    const std::string& score = *values[kScore];
    if (score.empty() || score.size() > 4 || !AllDigits(score)) {
        return Refuse("スコアは 0 から 9999 です。");
    }
    s.score = std::stoi(score);
    return s;
}

} // namespace scored
