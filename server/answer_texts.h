#pragma once
#include <array>
#include <string>
#include <string_view>

namespace scored {

// What the server says to the player and shows the visitor, in the language
// the request asks for (Accept-Language): Japanese, the game's own, unless
// English is preferred. Only the words change; the markers, the tables and
// the rest of the page stay.
struct AnswerTexts {
    std::string_view stored;
    std::string_view notStored;
    std::string_view notSaved;
    std::string_view diskFull;
    // {0} the level's name, {1} how many results it holds, {2} the rank.
    std::string_view standing;
    std::array<std::string_view, 3> levelNames;
    // The query fields aria, name, mode, level, score and replay, as a reason
    // names them.
    std::array<std::string_view, 6> fieldLabels;
    std::string_view chooseArea;
    std::string_view areaNotListed;
    std::string_view nameNotCp932;
    std::string_view nameUnusable;
    std::string_view nameTooLong;
    std::string_view extraField;
    std::string_view fieldTwice;   // {0} the field's label
    std::string_view fieldMissing; // {0} the field's label
    std::string_view modeRange;
    std::string_view levelRange;
    std::string_view scoreRange;
    // A result its replay does not prove: {0} is one of the reasons below.
    std::string_view unverified;
    std::string_view replayMissing;
    std::string_view replayUnreadable; // malformed or too long
    std::string_view replayLost;       // lost, or cut short
    std::string_view replayOtherLevel;
    std::string_view replayOtherScore;
    std::string_view replayTooFast;
    std::string_view replayStored; // its duel is on the table already
    // The results page: its lang attribute, title, the line on its order,
    // the columns' names (the last is also each replay link's text), a level
    // without results, a player without a name,
    // and the page shown when the results cannot be read.
    std::string_view lang;
    std::string_view pageTitle;
    std::string_view pageOrder;
    std::array<std::string_view, 6> columns;
    std::string_view noResults;
    std::string_view unnamed;
    std::string_view unreadable;

    static const AnswerTexts& Japanese();
    // For the value of a request's Accept-Language header ("" when none):
    // English when "en" is preferred to "ja", Japanese otherwise.
    static const AnswerTexts& For(std::string_view acceptLanguage);

    // pattern with each {i} replaced by the i-th argument.
    static std::string Fill(std::string_view pattern, std::initializer_list<std::string> args);
};

} // namespace scored
