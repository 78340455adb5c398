#pragma once
#include "server/answer_texts.h"

#include <string>
#include <string_view>
#include <variant>

namespace scored {

// Why a submission was turned away, in words the player reads in the game.
struct Refusal {
    std::string reason;
};

// One won duel as the game reports it, checked and converted to UTF-8.
struct Submission {
    static constexpr int kMaxNameChars = 32;

    std::string area;
    std::string name;
    int level = 0;
    int score = 0;

    // Checks the raw query of a submission: exactly the fields aria, name,
    // mode, level and score, each once; area and name in CP932. A refusal's
    // reason is worded in the texts given.
    static std::variant<Submission, Refusal>
    FromQuery(std::string_view query, const AnswerTexts& texts = AnswerTexts::Japanese());
};

} // namespace scored
