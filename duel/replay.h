#pragma once
#include "duel/duel.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duel {

// A won duel, as the score server proves it and a listener plays it again.
//
// Its text is one line of ASCII letters, digits and dots, so it travels in a
// query string and a file alike without escaping:
//
//     kzr1.<level>.<seed>.<first>.<inputs>
//
//   kzr1    the format and its version
//   level   1 easy, 2 normal, 3 hard (as the score table numbers them)
//   seed    the duel's dice, 0 … 4294967295
//   first   ms from the duel's start to its first frame, 0 … 100
//   inputs  each input the duel took, in order: the ms since the one before
//           (the first: since the start), then a letter, the game's own
//           letter key for it: a upper left, k upper right, z lower left,
//           m lower right, s the strike
//
// e.g. kzr1.1.2863311530.40.3120a1480k907s. A file may end with a newline.
struct Replay {
    // The whole text, newline included, is at most this long: the score
    // server's request line is 8 KiB, and the other fields need little.
    static constexpr size_t kMaxBytes = 7168;
    // No two inputs of a duel that is still going are this far apart.
    static constexpr int kMaxGapMs = 600000;

    int level = 0;
    uint32_t seed = 0;
    int firstFrame = 100;
    std::vector<Press> presses;

    std::string Text() const;
    // Gives the duel the inputs from `next` on that were made before `time`
    // (the next frame's), as the player made them, none after a win; returns
    // the index of the first input left.
    size_t TakeBefore(Duel& duel, size_t next, int time) const;
    // Nothing when the text is not a replay this game can play.
    static std::optional<Replay> Parse(std::string_view text);

    bool operator==(const Replay&) const = default;
};

} // namespace duel
