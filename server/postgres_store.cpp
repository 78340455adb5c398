#include "server/postgres_store.h"

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
// results before, plus this one.
constexpr const char* kAdd = R"sql(
WITH added AS (
    INSERT INTO results (area, name, level, score) VALUES ($1, $2, $3, $4) RETURNING id
), counted AS (
    INSERT INTO score_counts VALUES ($3, $4, 1)
    ON CONFLICT (level, score) DO UPDATE SET results = score_counts.results + 1 RETURNING 1
), blocked AS (
    INSERT INTO score_blocks VALUES ($3, $4 / 100, 1)
    ON CONFLICT (level, block) DO UPDATE SET results = score_blocks.results + 1 RETURNING 1
)
SELECT (SELECT COALESCE(SUM(results), 0) FROM score_blocks WHERE level = $3 AND block < $4 / 100)
     + (SELECT COALESCE(SUM(results), 0) FROM score_counts
        WHERE level = $3 AND score >= $4 / 100 * 100 AND score < $4) + 1,
       (SELECT COALESCE(SUM(results), 0) FROM score_blocks WHERE level = $3) + 1
FROM added, counted, blocked
)sql";

constexpr Oid kText = 25;
constexpr Oid kInt = 23;

// A result, cleared on every way out.
class Result {
public:
    explicit Result(PGresult* result) : m_result(result) {}
    ~Result() { PQclear(m_result); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    bool Ok(ExecStatusType expected) const { return PQresultStatus(m_result) == expected; }
    int Rows() const { return PQntuples(m_result); }
    std::string Text(int row, int column) const { return PQgetvalue(m_result, row, column); }
    long long Int(int row, int column) const {
        return std::strtoll(PQgetvalue(m_result, row, column), nullptr, 10);
    }

private:
    PGresult* m_result;
};

std::string ErrorOf(PGconn* db) {
    std::string message = PQerrorMessage(db);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

bool Exec(PGconn* db, const char* sql) {
    Result result(PQexec(db, sql));
    return result.Ok(PGRES_COMMAND_OK) || result.Ok(PGRES_TUPLES_OK);
}

} // namespace

// One connection of the pool, given back on every way out. A connection
// that was lost is made again before its next use.
class PostgresStore::Lease {
public:
    explicit Lease(PostgresStore& store) : m_store(store) {
        std::unique_lock<std::mutex> hold(store.m_lock);
        store.m_returned.wait(hold, [&store] { return !store.m_free.empty(); });
        m_db = store.m_free.back();
        store.m_free.pop_back();
        hold.unlock();
        if (PQstatus(m_db) != CONNECTION_OK) {
            PQreset(m_db);
        }
    }
    ~Lease() {
        {
            std::lock_guard<std::mutex> hold(m_store.m_lock);
            m_store.m_free.push_back(m_db);
        }
        m_store.m_returned.notify_one();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    PGconn* get() const { return m_db; }

private:
    PostgresStore& m_store;
    PGconn* m_db;
};

std::unique_ptr<PostgresStore> PostgresStore::Open(const std::string& url, std::string& error) {
    std::unique_ptr<PostgresStore> store(new PostgresStore());
    for (int i = 0; i <= kReaders; ++i) {
        PGconn* db = PQconnectdb(url.c_str());
        store->m_all.push_back(db);
        if (PQstatus(db) != CONNECTION_OK) {
            error = "cannot connect to PostgreSQL: " + ErrorOf(db);
            return nullptr;
        }
        // Notices ("relation already exists, skipping") are no news to an operator.
        PQsetNoticeProcessor(
            db, [](void*, const char*) {}, nullptr);
    }
    store->m_writer = store->m_all.front();
    store->m_free.assign(store->m_all.begin() + 1, store->m_all.end());
    if (!Exec(store->m_writer, kSchema)) {
        error = "cannot make the tables in PostgreSQL: " + ErrorOf(store->m_writer);
        Exec(store->m_writer, "ROLLBACK");
        return nullptr;
    }
    PostgresStore* self = store.get();
    store->m_batches = std::make_unique<BatchWriter>(
        [self](const std::vector<BatchWriter::Pending*>& batch) { self->StoreBatch(batch); });
    return store;
}

PostgresStore::~PostgresStore() {
    // The writer is done before its connection closes.
    m_batches.reset();
    for (PGconn* db : m_all) {
        PQfinish(db);
    }
}

std::optional<Standing> PostgresStore::Add(const Submission& result, std::string& error) {
    return m_batches->Add(result, error);
}

void PostgresStore::StoreBatch(const std::vector<BatchWriter::Pending*>& batch) {
    PGconn* db = m_writer;
    if (PQstatus(db) != CONNECTION_OK) {
        PQreset(db);
    }
    // Locks in level order, so two servers never wait for each other.
    std::set<int> levels;
    for (const BatchWriter::Pending* p : batch) {
        levels.insert(p->result.level);
    }
    std::string begin = "BEGIN;";
    for (int level : levels) {
        begin += " SELECT pg_advisory_xact_lock(7161, " + std::to_string(level) + ");";
    }
    // The whole batch goes out at once and its answers are read after: one
    // round trip for the batch rather than one per result.
    bool sent = Exec(db, begin.c_str()) && PQenterPipelineMode(db) == 1;
    for (const BatchWriter::Pending* p : batch) {
        const Submission& s = p->result;
        std::string level = std::to_string(s.level);
        std::string score = std::to_string(s.score);
        const char* values[] = {s.area.c_str(), s.name.c_str(), level.c_str(), score.c_str()};
        const int lengths[] = {static_cast<int>(s.area.size()), static_cast<int>(s.name.size()), 0,
                               0};
        const Oid types[] = {kText, kText, kInt, kInt};
        sent = sent && PQsendQueryParams(db, kAdd, 4, types, values, lengths, nullptr, 0) == 1;
    }
    sent = sent && PQsendQueryParams(db, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    bool piped = PQpipelineStatus(db) != PQ_PIPELINE_OFF;
    bool synced = piped && PQpipelineSync(db) == 1;
    bool ok = sent && synced;
    for (size_t i = 0; ok && i <= batch.size(); ++i) {
        Result answer(PQgetResult(db));
        if (i < batch.size() && answer.Ok(PGRES_TUPLES_OK) && answer.Rows() == 1) {
            batch[i]->standing =
                Standing{static_cast<int>(answer.Int(0, 0)), static_cast<int>(answer.Int(0, 1))};
        }
        ok = i < batch.size() ? batch[i]->standing.has_value() : answer.Ok(PGRES_COMMAND_OK);
        // Each query's answers end with a null one.
        Result end(PQgetResult(db));
    }
    std::string error = ok ? "" : ErrorOf(db);
    // What is left up to the sync (the queries skipped after a failure) is dropped.
    while (synced) {
        PGresult* rest = PQgetResult(db);
        if (!rest && PQstatus(db) != CONNECTION_OK) {
            break;
        }
        synced = !rest || PQresultStatus(rest) != PGRES_PIPELINE_SYNC;
        PQclear(rest);
    }
    if (piped) {
        PQexitPipelineMode(db);
    }
    if (!ok) {
        // Nothing of the batch is on disk: no result of it may be claimed.
        Exec(db, "ROLLBACK");
        BatchWriter::FailAll(batch, error);
    }
}

std::optional<std::vector<StoredResult>> PostgresStore::Best(int level, int limit) {
    Lease lease(*this);
    const std::string levelText = std::to_string(level);
    const std::string limitText = std::to_string(limit);
    const char* values[] = {levelText.c_str(), limitText.c_str()};
    const Oid types[] = {kInt, kInt};
    Result rows(PQexecParams(lease.get(),
                             "SELECT name, area, score, to_char(created, 'YYYY-MM-DD HH24:MI:SS') "
                             "FROM results WHERE level = $1 ORDER BY score, id LIMIT $2",
                             2, types, values, nullptr, nullptr, 0));
    if (!rows.Ok(PGRES_TUPLES_OK)) {
        return std::nullopt;
    }
    std::vector<StoredResult> best;
    for (int r = 0; r < rows.Rows(); ++r) {
        best.push_back(
            {rows.Text(r, 0), rows.Text(r, 1), static_cast<int>(rows.Int(r, 2)), rows.Text(r, 3)});
    }
    return best;
}

std::optional<int64_t> PostgresStore::Count() {
    Lease lease(*this);
    Result count(PQexec(lease.get(), "SELECT COUNT(*) FROM results"));
    if (!count.Ok(PGRES_TUPLES_OK) || count.Rows() != 1) {
        return std::nullopt;
    }
    return count.Int(0, 0);
}

} // namespace scored
