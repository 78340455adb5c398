#include "duel/replay.h"

#include <array>

namespace duel {

namespace {

constexpr std::string_view kMagic = "kzr1.";
constexpr std::array<std::pair<char, Input>, 5> kLetters = {{
    {'a', Input::UpperLeft},
    {'k', Input::UpperRight},
    {'z', Input::LowerLeft},
    {'m', Input::LowerRight},
    {'s', Input::Strike},
}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 … maxDigits digits at pos as a number no larger than limit.
std::optional<uint64_t> ReadNumber(std::string_view text, size_t& pos, size_t maxDigits,
                                   uint64_t limit) {
    size_t start = pos;
    uint64_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (pos - start == maxDigits) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
        ++pos;
    }
    if (pos == start || value > limit) {
        return std::nullopt;
    }
    return value;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

std::string Replay::Text() const {
    std::string text(kMagic);
    text +=
        std::to_string(level) + '.' + std::to_string(seed) + '.' + std::to_string(firstFrame) + '.';
    int before = 0;
    for (const Press& press : presses) {
        text += std::to_string(press.time - before);
        for (const auto& [letter, input] : kLetters) {
            if (input == press.input) {
                text += letter;
            }
        }
        before = press.time;
    }
    return text;
}

size_t Replay::TakeBefore(Duel& duel, size_t next, int time) const {
    for (; next < presses.size() && presses[next].time < time && duel.m_nState != Duel::kWon;
         ++next) {
        duel.Take(presses[next].input, presses[next].time);
    }
    return next;
}

std::optional<Replay> Replay::Parse(std::string_view text) {
    if (text.size() > kMaxBytes || text.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    if (text.ends_with('\n')) {
        text.remove_suffix(text.ends_with("\r\n") ? 2 : 1);
    }
    Replay replay;
    size_t pos = kMagic.size();
    auto level = ReadNumber(text, pos, 1, 3);
    if (!level || *level < 1 || !Expect(text, pos, '.')) {
        return std::nullopt;
    }
    auto seed = ReadNumber(text, pos, 10, UINT32_MAX);
    if (!seed || !Expect(text, pos, '.')) {
        return std::nullopt;
    }
    auto first = ReadNumber(text, pos, 3, 100);
    if (!first || !Expect(text, pos, '.')) {
        return std::nullopt;
    }
    replay.level = static_cast<int>(*level);
    replay.seed = static_cast<uint32_t>(*seed);
    replay.firstFrame = static_cast<int>(*first);
    int64_t time = 0;
    while (pos < text.size()) {
        auto gap = ReadNumber(text, pos, 6, kMaxGapMs);
        if (!gap || pos == text.size()) {
            return std::nullopt;
        }
        time += static_cast<int64_t>(*gap);
        const char letter = text[pos++];
        const auto* found = kLetters.end();
        for (const auto* it = kLetters.begin(); it != kLetters.end(); ++it) {
            if (it->first == letter) {
                found = it;
            }
        }
        // Thousands of ten-minute gaps would overflow the duel's clock; no
        // duel that is still going lasts a fraction of that.
        if (found == kLetters.end() || time > INT32_MAX / 2) {
            return std::nullopt;
        }
        replay.presses.push_back({static_cast<int>(time), found->second});
    }
    return replay;
}

} // namespace duel
