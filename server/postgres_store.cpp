#include "server/postgres_store.h"

#include <cstdio>
#include <cstdlib>
#include <libpq-fe.h>
#include <set>

namespace scored {
namespace {

// See the SQLite store for what the counts are for. Servers starting at once
// make the tables one after another, under a lock of the database's.
constexpr const char* kSchema = R"sql(
BEGIN;
SELECT pg_advisory_xact_lock(7160);
CREATE TABLE IF NOT EXISTS results (
    id BIGSERIAL PRIMARY KEY,
    area TEXT NOT NULL,
    name TEXT NOT NULL,
    level INTEGER NOT NULL CHECK (level BETWEEN 1 AND 3),
    score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 9999),
    created TIMESTAMP(0) NOT NULL DEFAULT (now() AT TIME ZONE 'utc')
);
-- The replay that proves each result; results from before have none.
ALTER TABLE results ADD COLUMN IF NOT EXISTS replay TEXT;
-- Its duel's dice: a copied replay has the seed of a result stored before.
ALTER TABLE results ADD COLUMN IF NOT EXISTS seed BIGINT;
CREATE UNIQUE INDEX IF NOT EXISTS results_by_duel ON results (level, seed);
CREATE INDEX IF NOT EXISTS results_by_level ON results (level, score, id);
CREATE TABLE IF NOT EXISTS score_counts (
    level INTEGER NOT NULL,
    score INTEGER NOT NULL,
    results BIGINT NOT NULL,
    PRIMARY KEY (level, score)
);
CREATE TABLE IF NOT EXISTS score_blocks (
    level INTEGER NOT NULL,
    block INTEGER NOT NULL,
    results BIGINT NOT NULL,
    PRIMARY KEY (level, block)
);
COMMIT;
)sql";

// All parts of one statement see the database as it was when the statement
// began, after the level's lock was taken: the standing is that of the
// results before, plus this one. A duel already stored (the level's lock
// holds back any other server's copy until it is committed) adds nothing
// and yields no row; a seed of -1 is none.
constexpr const char* kAdd = R"sql(
WITH added AS (
    INSERT INTO results (area, name, level, score, replay, seed)
    SELECT $1, $2, $3, $4, NULLIF($5, ''), NULLIF($6, -1)
    WHERE NOT EXISTS (SELECT 1 FROM results WHERE level = $3 AND seed = $6) RETURNING id
), counted AS (
    INSERT INTO score_counts SELECT $3, $4, 1 FROM added
    ON CONFLICT (level, score) DO UPDATE SET results = score_counts.results + 1 RETURNING 1
), blocked AS (
    INSERT INTO score_blocks SELECT $3, $4 / 100, 1 FROM added
    ON CONFLICT (level, block) DO UPDATE SET results = score_blocks.results + 1 RETURNING 1
)
SELECT (SELECT COALESCE(SUM(results), 0) FROM score_blocks WHERE level = $3 AND block < $4 / 100)
     + (SELECT COALESCE(SUM(results), 0) FROM score_counts
        WHERE level = $3 AND score >= $4 / 100 * 100 AND score < $4) + 1,
       (SELECT COALESCE(SUM(results), 0) FROM score_blocks WHERE level = $3) + 1
FROM added, counted, blocked
)sql";

// Checked just before the commit, on the database's clock: a batch that
// reaches it after its deadline (the database stopped and came back) fails,
// and the commit then rolls it back. The player was told it was not stored.
constexpr const char* kStillInTime = "SELECT 1 / (clock_timestamp() < to_timestamp($1))::int";

// How long past a batch's deadline its answers may take to come back.
constexpr auto kGrace = std::chrono::milliseconds(500);
// Connecting at start-up, before any player waits.
constexpr auto kStartUp = std::chrono::seconds(10);

constexpr Oid kText = 25;
constexpr Oid kInt = 23;
constexpr Oid kBigInt = 20;
constexpr Oid kFloat = 701;

// A result, cleared on every way out.
class Result {
public:
    explicit Result(PGresult* result) : m_result(result) {}
    ~Result() { PQclear(m_result); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    bool Null() const { return m_result == nullptr; }
    bool Ok(ExecStatusType expected) const {
        return m_result && PQresultStatus(m_result) == expected;
    }
    int Rows() const { return PQntuples(m_result); }
    std::string Text(int row, int column) const { return PQgetvalue(m_result, row, column); }
    long long Int(int row, int column) const {
        return std::strtoll(PQgetvalue(m_result, row, column), nullptr, 10);
    }

private:
    PGresult* m_result;
};

bool Send(PGconn* db, const char* sql, std::vector<std::string> values = {},
          std::vector<Oid> types = {}) {
    std::vector<const char*> pointers;
    for (const std::string& value : values) {
        pointers.push_back(value.c_str());
    }
    return PQsendQueryParams(db, sql, static_cast<int>(values.size()), types.data(),
                             pointers.data(), nullptr, nullptr, 0) == 1;
}

// The deadline as seconds since 1970 on the wall clock, which the database reads too.
std::string WallClock(PostgresConnection::Clock::time_point at) {
    auto wall = std::chrono::system_clock::now() +
                std::chrono::duration_cast<std::chrono::system_clock::duration>(
                    at - PostgresConnection::Clock::now());
    double seconds = std::chrono::duration<double>(wall.time_since_epoch()).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

} // namespace

// One reader of the pool, given back on every way out; none when none was
// free by the deadline.
class PostgresStore::Lease {
public:
    Lease(PostgresStore& store, Clock::time_point by) : m_store(store) {
        std::unique_lock<std::mutex> hold(store.m_lock);
        if (store.m_returned.wait_until(hold, by, [&store] { return !store.m_free.empty(); })) {
            m_db = store.m_free.back();
            store.m_free.pop_back();
        }
    }
    ~Lease() {
        if (!m_db) {
            return;
        }
        {
            std::lock_guard<std::mutex> hold(m_store.m_lock);
            m_store.m_free.push_back(m_db);
        }
        m_store.m_returned.notify_one();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    PostgresConnection* get() const { return m_db; }

private:
    PostgresStore& m_store;
    PostgresConnection* m_db = nullptr;
};

std::unique_ptr<PostgresStore> PostgresStore::Open(const std::string& url, std::string& error) {
    std::unique_ptr<PostgresStore> store(new PostgresStore());
    auto by = Clock::now() + kStartUp;
    store->m_writer = std::make_unique<PostgresConnection>(url);
    if (!store->m_writer->Ready(by, error)) {
        return nullptr;
    }
    for (int i = 0; i < kReaders; ++i) {
        store->m_readers.push_back(std::make_unique<PostgresConnection>(url));
        if (!store->m_readers.back()->Ready(by, error)) {
            return nullptr;
        }
        store->m_free.push_back(store->m_readers.back().get());
    }
    if (!store->m_writer->Run(kSchema, by, error)) {
        error = "cannot make the tables in PostgreSQL: " + error;
        return nullptr;
    }
    PostgresStore* self = store.get();
    store->m_batches = std::make_unique<BatchWriter>(
        [self](const std::vector<BatchWriter::Pending*>& batch, Clock::time_point by) {
            self->StoreBatch(batch, by);
        });
    return store;
}

PostgresStore::~PostgresStore() {
    // The writer is done before its connection closes.
    m_batches.reset();
}

std::optional<Standing> PostgresStore::Add(const Submission& result, std::string& error,
                                           Clock::time_point by) {
    return m_batches->Add(result, error, by);
}

void PostgresStore::StoreBatch(const std::vector<BatchWriter::Pending*>& batch,
                               Clock::time_point by) {
    std::string error;
    if (!m_writer->Ready(by, error)) {
        BatchWriter::FailAll(batch, error);
        return;
    }
    PGconn* db = m_writer->get();
    // Locks in level order, so two servers never wait for each other.
    std::set<int> levels;
    for (const BatchWriter::Pending* p : batch) {
        levels.insert(p->result.level);
    }
    // The whole batch goes out at once and its answers are read after: one
    // round trip for the batch rather than one per result.
    bool ok = PQenterPipelineMode(db) == 1 && Send(db, "BEGIN");
    for (int level : levels) {
        ok = ok &&
             Send(db, "SELECT pg_advisory_xact_lock(7161, $1)", {std::to_string(level)}, {kInt});
    }
    for (const BatchWriter::Pending* p : batch) {
        const Submission& s = p->result;
        ok = ok && Send(db, kAdd,
                        {s.area, s.name, std::to_string(s.level), std::to_string(s.score), s.replay,
                         s.seed ? std::to_string(*s.seed) : "-1"},
                        {kText, kText, kInt, kInt, kText, kBigInt});
    }
    ok = ok && Send(db, kStillInTime, {WallClock(by)}, {kFloat}) && Send(db, "COMMIT") &&
         PQpipelineSync(db) == 1 && m_writer->Flush(by);

    // Each query's answer, then a null one; the sync's answer last.
    const size_t first = 1 + levels.size();
    const size_t queries = first + batch.size() + 2;
    bool late = false;
    for (size_t q = 0; ok && q < queries; ++q) {
        Result answer(m_writer->Next(by + kGrace, late));
        Result end(m_writer->Next(by + kGrace, late));
        bool add = q >= first && q < first + batch.size();
        ok = end.Null() && !late &&
             answer.Ok(q == 0 || q == queries - 1 ? PGRES_COMMAND_OK : PGRES_TUPLES_OK);
        if (ok && add && answer.Rows() == 1) {
            batch[q - first]->standing =
                Standing{static_cast<int>(answer.Int(0, 0)), static_cast<int>(answer.Int(0, 1))};
        } else if (ok && add) {
            // A copy, turned away without failing the rest of the batch.
            batch[q - first]->error = ScoreStore::kDuelStored;
        }
        if (!ok && q == queries - 2) {
            error = "PostgreSQL answered too late: the batch was not stored";
        }
    }
    if (ok) {
        // Committed: whatever comes of the rest, the standings hold.
        Result sync(m_writer->Next(by + kGrace, late));
        if (!sync.Ok(PGRES_PIPELINE_SYNC) || PQexitPipelineMode(db) != 1) {
            m_writer->Drop();
        }
        return;
    }
    // Nothing of the batch is on disk: no result of it may be claimed. The
    // connection goes with it, rolling back whatever it still held.
    if (error.empty()) {
        error = late ? "" : m_writer->Error();
    }
    if (error.empty()) {
        error = "PostgreSQL did not answer in time";
    }
    m_writer->Drop();
    BatchWriter::FailAll(batch, error);
}

PGresult* PostgresStore::Fetch(const char* sql, std::initializer_list<std::string> ints,
                               std::string& error, Clock::time_point by) {
    Lease lease(*this, by);
    PostgresConnection* reader = lease.get();
    if (!reader) {
        error = "no connection to PostgreSQL came free in time";
        return nullptr;
    }
    if (!reader->Ready(by, error)) {
        return nullptr;
    }
    bool late = false;
    // Wide enough for any id; a level or a limit compares all the same.
    std::vector<Oid> types(ints.size(), kBigInt);
    PGresult* rows = Send(reader->get(), sql, ints, types) && reader->Flush(by)
                         ? reader->Next(by, late)
                         : nullptr;
    Result end(rows ? reader->Next(by, late) : nullptr);
    if (rows && PQresultStatus(rows) == PGRES_TUPLES_OK && end.Null() && !late) {
        return rows;
    }
    PQclear(rows);
    error = late ? "PostgreSQL did not answer in time" : reader->Error();
    reader->Drop();
    return nullptr;
}

std::optional<std::vector<StoredResult>>
PostgresStore::Best(int level, int limit, std::string& error, Clock::time_point by) {
    Result rows(Fetch("SELECT id, name, area, score, to_char(created, 'YYYY-MM-DD HH24:MI:SS'), "
                      "(replay IS NOT NULL)::int FROM results WHERE level = $1 "
                      "ORDER BY score, id LIMIT $2",
                      {std::to_string(level), std::to_string(limit)}, error, by));
    if (rows.Null()) {
        return std::nullopt;
    }
    std::vector<StoredResult> best;
    for (int r = 0; r < rows.Rows(); ++r) {
        best.push_back({rows.Int(r, 0), rows.Text(r, 1), rows.Text(r, 2),
                        static_cast<int>(rows.Int(r, 3)), rows.Text(r, 4), rows.Int(r, 5) == 1});
    }
    return best;
}

std::optional<std::string> PostgresStore::Replay(int64_t id, std::string& error,
                                                 Clock::time_point by) {
    Result rows(Fetch("SELECT replay FROM results WHERE id = $1 AND replay IS NOT NULL",
                      {std::to_string(id)}, error, by));
    if (rows.Null() || rows.Rows() != 1) {
        return std::nullopt;
    }
    return rows.Text(0, 0);
}

std::optional<int64_t> PostgresStore::Count() {
    std::string error;
    Result count(Fetch("SELECT COUNT(*) FROM results", {}, error, Clock::now() + kPatience));
    if (count.Null() || count.Rows() != 1) {
        return std::nullopt;
    }
    return count.Int(0, 0);
}

} // namespace scored
