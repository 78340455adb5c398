#pragma once
#include "server/answer_texts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace scored {

// Why a submission was turned away, in words the player reads in the game.
struct Refusal {
    std::string reason;
};

// One won duel as the game reports it, checked and converted to UTF-8, and
// proved by its replay.
struct Submission {
    static constexpr int kMaxNameChars = 32;

    std::string area;
    std::string name;
    int level = 0;
    int score = 0;
    std::string replay; // its text; empty for results stored before replays
    // The replay's dice, which a copy cannot change without losing: no two
    // results of a level may share it. None for results without a replay.
    std::optional<uint32_t> seed;

    // Checks the raw query of a submission: exactly the fields aria, name,
    // mode, level, score and replay, each once; area and name in CP932; the
    // replay's duel run again and won at that level with that score. A
    // refusal's reason is worded in the texts given.
    static std::variant<Submission, Refusal>
    FromQuery(std::string_view query, const AnswerTexts& texts = AnswerTexts::Japanese());
};

} // namespace scored
