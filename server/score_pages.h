#pragma once
#include "server/answer_texts.h"
#include "server/score_store.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scored {

// What the server sends back, as bytes ready for the wire.
class ScorePages {
public:
    // The answer to a submission, in CP932: the lines stand on lines of their
    // own between a line holding "DATA_START" and one holding "DATA_END",
    // each marker inside an HTML comment so it never starts its line.
    static std::string Answer(const std::vector<std::string>& lines);

    // The score table for the browser, in UTF-8 and the texts' language:
    // the best results of each level, levels 1 to 3 in order.
    static std::string ResultPage(const std::array<std::vector<StoredResult>, 3>& best,
                                  const AnswerTexts& texts);

    // The page shown when the results cannot be read.
    static std::string UnavailablePage(const AnswerTexts& texts);

    static std::string EscapeHtml(std::string_view text);
};

} // namespace scored
