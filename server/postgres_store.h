#pragma once
#include "server/batch_writer.h"
#include "server/score_store.h"

#include <condition_variable>
#include <mutex>

struct pg_conn;

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

    std::optional<Standing> Add(const Submission& result, std::string& error) override;
    std::optional<std::vector<StoredResult>> Best(int level, int limit) override;
    std::optional<int64_t> Count() override;
    std::optional<uint64_t> FreeBytes() override { return std::nullopt; }

private:
    class Lease;
    PostgresStore() = default;
    void StoreBatch(const std::vector<BatchWriter::Pending*>& batch);

    pg_conn* m_writer = nullptr;
    std::unique_ptr<BatchWriter> m_batches;
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<pg_conn*> m_all;
    std::vector<pg_conn*> m_free;
};

} // namespace scored
