#pragma once
#include "server/batch_writer.h"
#include "server/postgres_connection.h"
#include "server/score_store.h"

#include <condition_variable>
#include <mutex>

namespace scored {

// Results in a PostgreSQL database, which several servers can share. One
// connection writes in batches (see BatchWriter), taking a lock of the
// database's for each level it writes, so that ranks stay exact across
// servers; a few more connections read.
class PostgresStore : public ScoreStore {
public:
    static constexpr int kReaders = 2;

    static std::unique_ptr<PostgresStore> Open(const std::string& url, std::string& error);
    ~PostgresStore() override;

    std::optional<Standing> Add(const Submission& result, std::string& error,
                                Clock::time_point by) override;
    std::optional<std::vector<StoredResult>> Best(int level, int limit, std::string& error,
                                                  Clock::time_point by) override;
    std::optional<std::string> Replay(int64_t id, std::string& error,
                                      Clock::time_point by) override;
    std::optional<int64_t> Count() override;
    std::optional<uint64_t> FreeBytes() override { return std::nullopt; }

private:
    class Lease;
    PostgresStore() = default;
    void StoreBatch(const std::vector<BatchWriter::Pending*>& batch, Clock::time_point by);
    // One statement's one result, read on a reader by `by`; null, with the
    // reason in error, otherwise.
    pg_result* Fetch(const char* sql, std::initializer_list<std::string> ints, std::string& error,
                     Clock::time_point by);

    std::unique_ptr<PostgresConnection> m_writer;
    std::unique_ptr<BatchWriter> m_batches;
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<PostgresConnection>> m_readers;
    std::vector<PostgresConnection*> m_free;
};

} // namespace scored
