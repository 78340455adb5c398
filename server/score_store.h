#pragma once
#include "server/submission.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace scored {

// Where a stored result stands on its level: rank 1 is the fewest
// mistakes, and equal scores share a rank.
struct Standing {
    int rank = 0;
    int total = 0;
};

struct StoredResult {
    std::string name;
    std::string area;
    int score = 0;
    std::string when; // UTC, "YYYY-MM-DD HH:MM:SS"
};

// The results on disk. Every result is on stable storage before Add
// returns, so whatever the server has answered survives a crash.
class ScoreStore {
public:
    // Creates the file and its folder when missing; nothing, with the reason
    // in error, when the database cannot be opened for writing.
    static std::unique_ptr<ScoreStore> Open(const std::string& path, std::string& error);
    ~ScoreStore();
    ScoreStore(const ScoreStore&) = delete;
    ScoreStore& operator=(const ScoreStore&) = delete;

    // Stores the result and tells where it stands; nothing, with the reason
    // in error, when it could not be stored (then nothing was stored).
    std::optional<Standing> Add(const Submission& result, std::string& error);

    // The best results of a level, fewest mistakes first, earlier first
    // among equals; nothing when the database cannot be read.
    std::optional<std::vector<StoredResult>> Best(int level, int limit);

    // All results of all levels; nothing when the database cannot be read.
    std::optional<int64_t> Count();

private:
    explicit ScoreStore(sqlite3* db) : m_db(db) {}
    std::string LastError() const;

    std::mutex m_lock;
    sqlite3* m_db;
};

} // namespace scored
