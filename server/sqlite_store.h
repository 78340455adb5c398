#pragma once
#include "server/batch_writer.h"
#include "server/score_store.h"

#include <mutex>

struct sqlite3;

namespace scored {

// Results in one SQLite file, written in batches (see BatchWriter) on one
// connection and read on another, which the write-ahead log lets run
// side by side.
class SqliteStore : public ScoreStore {
public:
    static std::unique_ptr<SqliteStore> Open(const std::string& path, std::string& error);
    ~SqliteStore() override;

    // The file is on a local disk: `by` only refuses results that waited past it.
    std::optional<Standing> Add(const Submission& result, std::string& error,
                                Clock::time_point by) override;
    std::optional<std::vector<StoredResult>> Best(int level, int limit, std::string& error,
                                                  Clock::time_point by) override;
    std::optional<std::string> Replay(int64_t id, std::string& error,
                                      Clock::time_point by) override;
    std::optional<int64_t> Count() override;
    std::optional<uint64_t> FreeBytes() override;

private:
    SqliteStore(sqlite3* writer, sqlite3* reader, std::string folder);
    void StoreBatch(const std::vector<BatchWriter::Pending*>& batch);

    sqlite3* m_writer;
    sqlite3* m_reader;
    std::string m_folder;
    std::mutex m_readLock;
    std::unique_ptr<BatchWriter> m_batches;
};

} // namespace scored
