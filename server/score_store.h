#pragma once
#include "server/submission.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scored {

// Where a stored result stands on its level: rank 1 is the fewest
// mistakes, and equal scores share a rank.
struct Standing {
    int rank = 0;
    int total = 0;
};

struct StoredResult {
    int64_t id = 0;
    std::string name;
    std::string area;
    int score = 0;
    std::string when;       // UTC, "YYYY-MM-DD HH:MM:SS"
    bool hasReplay = false; // results stored before replays have none
};

// The results, in an SQLite file or a PostgreSQL database. Every result is
// on stable storage before Add returns, so whatever the server has answered
// survives a crash. Safe to use from several threads at once.
class ScoreStore {
public:
    // "postgresql://..." (or "postgres://...") connects to PostgreSQL;
    // anything else is the path of an SQLite file, created with its folder
    // when missing. Nothing, with the reason in error, when the database
    // cannot be opened for writing.
    static std::unique_ptr<ScoreStore> Open(const std::string& where, std::string& error);
    static bool IsPostgres(const std::string& where);

    virtual ~ScoreStore() = default;

    // Makes the counts that ranks are read from (how many results each score
    // has on each level, and each hundred scores) again from the results;
    // SQL that SQLite and PostgreSQL both take.
    static constexpr const char* kRecountSql = R"sql(
DELETE FROM score_counts;
DELETE FROM score_blocks;
INSERT INTO score_counts SELECT level, score, COUNT(*) FROM results GROUP BY level, score;
INSERT INTO score_blocks SELECT level, score / 100, SUM(results) FROM score_counts
    GROUP BY level, score / 100;
)sql";

    using Clock = std::chrono::steady_clock;
    // How long a caller that names no deadline lets the database take.
    static constexpr std::chrono::milliseconds kPatience{3000};

    // Stores the result and tells where it stands; nothing, with the reason
    // in error, when it could not be stored (then nothing was stored). The
    // cost does not grow with the number of results stored. A database that
    // has not answered by `by` is given up on, and what it was given then is
    // never stored later.
    //
    // A result whose replay's duel (its level and seed) is stored already is
    // a copy of another's replay: it is not stored, and error is kDuelStored.
    // Seeds are 32 bits, so a duel truly played anew meets one of the N
    // stored on its level with a chance of N / 2^32, one in some four
    // thousand at a million results; that player is refused and plays again.
    virtual std::optional<Standing> Add(const Submission& result, std::string& error,
                                        Clock::time_point by) = 0;
    static constexpr std::string_view kDuelStored = "this duel is stored already";
    std::optional<Standing> Add(const Submission& result, std::string& error) {
        return Add(result, error, Clock::now() + kPatience);
    }

    // The best results of a level, fewest mistakes first, earlier first
    // among equals; nothing, with the reason in error, when the database
    // cannot be read by `by`.
    virtual std::optional<std::vector<StoredResult>> Best(int level, int limit, std::string& error,
                                                          Clock::time_point by) = 0;
    std::optional<std::vector<StoredResult>> Best(int level, int limit) {
        std::string error;
        return Best(level, limit, error, Clock::now() + kPatience);
    }

    // The replay a result was proved by; nothing, with error empty, when no
    // result has that id or it has no replay, and with the reason in error
    // when the database cannot be read by `by`.
    virtual std::optional<std::string> Replay(int64_t id, std::string& error,
                                              Clock::time_point by) = 0;

    // All results of all levels; nothing when the database cannot be read.
    virtual std::optional<int64_t> Count() = 0;

    // Room left on the disk that holds the results; nothing when the store
    // cannot tell (a database on another machine).
    virtual std::optional<uint64_t> FreeBytes() = 0;
};

} // namespace scored
