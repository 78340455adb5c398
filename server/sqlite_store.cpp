#include "server/sqlite_store.h"

#include <filesystem>
#include <sqlite3.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace scored {
namespace {

// score_counts holds how many results each score has on each level, and
// score_blocks the same for each hundred scores, both kept in the same
// transaction as the results themselves: a rank is then a sum of at most
// a hundred blocks and a hundred scores, however many results there are.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS results (
    id INTEGER PRIMARY KEY,
    area TEXT NOT NULL,
    name TEXT NOT NULL,
    level INTEGER NOT NULL CHECK (level BETWEEN 1 AND 3),
    score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 9999),
    created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP,
    replay TEXT,
    seed INTEGER
);
CREATE INDEX IF NOT EXISTS results_by_level ON results (level, score, id);
CREATE TABLE IF NOT EXISTS score_counts (
    level INTEGER NOT NULL,
    score INTEGER NOT NULL,
    results INTEGER NOT NULL,
    PRIMARY KEY (level, score)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS score_blocks (
    level INTEGER NOT NULL,
    block INTEGER NOT NULL,
    results INTEGER NOT NULL,
    PRIMARY KEY (level, block)
) WITHOUT ROWID;
)sql";

constexpr const char* kInsert = "INSERT INTO results (area, name, level, score, replay, seed) "
                                "VALUES (?, ?, ?, ?, NULLIF(?, ''), ?)";
constexpr const char* kFindDuel = "SELECT 1 FROM results WHERE level = ? AND seed = ?";
constexpr const char* kCountScore =
    "INSERT INTO score_counts VALUES (?1, ?2, 1) "
    "ON CONFLICT (level, score) DO UPDATE SET results = results + 1";
constexpr const char* kCountBlock =
    "INSERT INTO score_blocks VALUES (?1, ?2 / 100, 1) "
    "ON CONFLICT (level, block) DO UPDATE SET results = results + 1";
constexpr const char* kStanding =
    "SELECT (SELECT COALESCE(SUM(results), 0) FROM score_blocks "
    "        WHERE level = ?1 AND block < ?2 / 100) + "
    "       (SELECT COALESCE(SUM(results), 0) FROM score_counts "
    "        WHERE level = ?1 AND score >= ?2 / 100 * 100 AND score < ?2), "
    "       (SELECT COALESCE(SUM(results), 0) FROM score_blocks WHERE level = ?1)";

// One prepared statement, finalised on every way out.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    bool Bind(int index, int value) { return sqlite3_bind_int(m_stmt, index, value) == SQLITE_OK; }
    bool Bind(int index, int64_t value) {
        return sqlite3_bind_int64(m_stmt, index, value) == SQLITE_OK;
    }
    bool Bind(int index, std::optional<uint32_t> value) {
        return value ? Bind(index, int64_t{*value}) : sqlite3_bind_null(m_stmt, index) == SQLITE_OK;
    }
    bool Bind(int index, const std::string& value) {
        return sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    int Step() { return sqlite3_step(m_stmt); }
    // Runs a statement that yields nothing, ready to run again.
    bool Done() {
        bool ok = Step() == SQLITE_DONE;
        sqlite3_reset(m_stmt);
        return ok;
    }
    int64_t Int(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::string Text(int column) {
        const auto* text = sqlite3_column_text(m_stmt, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  sqlite3_column_bytes(m_stmt, column))
                    : std::string();
    }
    void Reset() { sqlite3_reset(m_stmt); }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string ErrorOf(sqlite3* db) {
    return db ? sqlite3_errmsg(db) : "out of memory";
}

// Readers then never wait for a writer, and a commit is one append to the log.
bool UseWriteAheadLog(sqlite3* db) {
    Statement wal(db, "PRAGMA journal_mode = WAL");
    return wal.Ok() && wal.Step() == SQLITE_ROW && wal.Text(0) == "wal";
}

bool PrepareFolder(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = path + " is a folder, not a database file";
        return false;
    }
    fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec)) {
        fs::create_directories(parent, ec);
        if (ec) {
            error = "cannot create the folder " + parent.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

sqlite3* OpenConnection(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = "cannot open " + path + ": " + ErrorOf(db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // Another process on the same file (a second server, a backup) only
    // makes us wait a little, never fail at once. SQLite's own wait sleeps
    // up to 100 ms at a time; a commit of the other server takes a few, so
    // looking again every millisecond keeps both servers' answers quick.
    sqlite3_busy_handler(
        db, [](void*, int tries) { return tries < 5000 && usleep(1000) == 0 ? 1 : 0; }, nullptr);
    return db;
}

// Makes the tables, and the counts of a database that had none.
bool PrepareSchema(sqlite3* db) {
    if (!Exec(db, "BEGIN IMMEDIATE") || !Exec(db, kSchema)) {
        return false;
    }
    Statement version(db, "PRAGMA user_version");
    bool counted = version.Ok() && version.Step() == SQLITE_ROW && version.Int(0) >= 2;
    version.Reset();
    // Results stored before replays keep their place, with none and no seed.
    auto column = [db](const char* name, const char* type) {
        Statement has(db, "SELECT COUNT(*) FROM pragma_table_info('results') WHERE name = ?");
        return (has.Ok() && has.Bind(1, std::string(name)) && has.Step() == SQLITE_ROW &&
                has.Int(0) == 1) ||
               Exec(db,
                    ("ALTER TABLE results ADD COLUMN " + std::string(name) + " " + type).c_str());
    };
    // A database from before the counts gets them from its results, once.
    return (counted ||
            (Exec(db, ScoreStore::kRecountSql) && Exec(db, "PRAGMA user_version = 2"))) &&
           column("replay", "TEXT") && column("seed", "INTEGER") &&
           Exec(db, "CREATE UNIQUE INDEX IF NOT EXISTS results_by_duel ON results (level, seed)") &&
           Exec(db, "COMMIT");
}

} // namespace

std::unique_ptr<SqliteStore> SqliteStore::Open(const std::string& path, std::string& error) {
    if (!PrepareFolder(path, error)) {
        return nullptr;
    }
    sqlite3* writer = OpenConnection(path, error);
    if (!writer) {
        return nullptr;
    }
    auto fail = [&](std::string why) {
        error = std::move(why);
        sqlite3_close_v2(writer);
        return nullptr;
    };
    if (sqlite3_db_readonly(writer, "main") == 1) {
        return fail(path + " is not writable");
    }
    if (!UseWriteAheadLog(writer)) {
        return fail("cannot use write-ahead logging on " + path + ": " + ErrorOf(writer));
    }
    // FULL syncs the log on every commit: an answered result survives even a
    // power cut, not only a killed server.
    if (!Exec(writer, "PRAGMA synchronous = FULL") || !PrepareSchema(writer)) {
        std::string why = "cannot write to " + path + ": " + ErrorOf(writer);
        Exec(writer, "ROLLBACK");
        return fail(why);
    }
    sqlite3* reader = OpenConnection(path, error);
    if (!reader) {
        sqlite3_close_v2(writer);
        return nullptr;
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    return std::unique_ptr<SqliteStore>(
        new SqliteStore(writer, reader, folder.empty() ? "." : folder));
}

SqliteStore::SqliteStore(sqlite3* writer, sqlite3* reader, std::string folder)
    : m_writer(writer), m_reader(reader), m_folder(std::move(folder)),
      m_batches(
          std::make_unique<BatchWriter>([this](const std::vector<BatchWriter::Pending*>& batch,
                                               Clock::time_point) { StoreBatch(batch); })) {}

SqliteStore::~SqliteStore() {
    // The writer is done before its connection closes.
    m_batches.reset();
    sqlite3_close_v2(m_reader);
    sqlite3_close_v2(m_writer);
}

std::optional<Standing> SqliteStore::Add(const Submission& result, std::string& error,
                                         Clock::time_point by) {
    return m_batches->Add(result, error, by);
}

void SqliteStore::StoreBatch(const std::vector<BatchWriter::Pending*>& batch) {
    Statement insert(m_writer, kInsert);
    Statement countScore(m_writer, kCountScore);
    Statement countBlock(m_writer, kCountBlock);
    Statement standing(m_writer, kStanding);
    Statement stored(m_writer, kFindDuel);
    bool ok = insert.Ok() && countScore.Ok() && countBlock.Ok() && standing.Ok() && stored.Ok() &&
              Exec(m_writer, "BEGIN IMMEDIATE");
    for (BatchWriter::Pending* p : batch) {
        if (!ok) {
            break;
        }
        const Submission& s = p->result;
        // Looked for in the batch's transaction, so a copy in the same batch
        // finds the first.
        const bool copy = s.seed && stored.Bind(1, s.level) && stored.Bind(2, s.seed) &&
                          stored.Step() == SQLITE_ROW;
        stored.Reset();
        if (copy) {
            p->error = ScoreStore::kDuelStored;
            continue;
        }
        // Each result in a savepoint of its own: one that cannot be stored
        // leaves no trace and does not take the others with it.
        Exec(m_writer, "SAVEPOINT one");
        bool added = insert.Bind(1, s.area) && insert.Bind(2, s.name) && insert.Bind(3, s.level) &&
                     insert.Bind(4, s.score) && insert.Bind(5, s.replay) &&
                     insert.Bind(6, s.seed) && insert.Done() && countScore.Bind(1, s.level) &&
                     countScore.Bind(2, s.score) && countScore.Done() &&
                     countBlock.Bind(1, s.level) && countBlock.Bind(2, s.score) &&
                     countBlock.Done() && standing.Bind(1, s.level) && standing.Bind(2, s.score) &&
                     standing.Step() == SQLITE_ROW;
        if (added) {
            p->standing =
                Standing{static_cast<int>(standing.Int(0)) + 1, static_cast<int>(standing.Int(1))};
        } else {
            // The unique index, should a copy ever pass the look above.
            p->error = sqlite3_extended_errcode(m_writer) == SQLITE_CONSTRAINT_UNIQUE
                           ? std::string(ScoreStore::kDuelStored)
                           : ErrorOf(m_writer);
        }
        standing.Reset();
        ok = added ? Exec(m_writer, "RELEASE one")
                   : Exec(m_writer, "ROLLBACK TO one") && Exec(m_writer, "RELEASE one");
    }
    if (ok && Exec(m_writer, "COMMIT")) {
        return;
    }
    // Nothing of the batch is on disk: no result of it may be claimed.
    std::string error = ErrorOf(m_writer);
    Exec(m_writer, "ROLLBACK");
    BatchWriter::FailAll(batch, error);
}

std::optional<std::vector<StoredResult>> SqliteStore::Best(int level, int limit, std::string& error,
                                                           Clock::time_point) {
    std::lock_guard<std::mutex> hold(m_readLock);
    Statement query(m_reader, "SELECT id, name, area, score, created, replay IS NOT NULL "
                              "FROM results WHERE level = ? ORDER BY score, id LIMIT ?");
    if (!query.Ok() || !query.Bind(1, level) || !query.Bind(2, limit)) {
        error = ErrorOf(m_reader);
        return std::nullopt;
    }
    std::vector<StoredResult> best;
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) {
        best.push_back({query.Int(0), query.Text(1), query.Text(2), static_cast<int>(query.Int(3)),
                        query.Text(4), query.Int(5) == 1});
    }
    if (rc != SQLITE_DONE) {
        error = ErrorOf(m_reader);
        return std::nullopt;
    }
    return best;
}

std::optional<std::string> SqliteStore::Replay(int64_t id, std::string& error, Clock::time_point) {
    std::lock_guard<std::mutex> hold(m_readLock);
    Statement query(m_reader, "SELECT replay FROM results WHERE id = ? AND replay IS NOT NULL");
    if (!query.Ok() || !query.Bind(1, id)) {
        error = ErrorOf(m_reader);
        return std::nullopt;
    }
    const int rc = query.Step();
    if (rc == SQLITE_ROW) {
        return query.Text(0);
    }
    if (rc != SQLITE_DONE) {
        error = ErrorOf(m_reader);
    }
    return std::nullopt;
}

std::optional<int64_t> SqliteStore::Count() {
    std::lock_guard<std::mutex> hold(m_readLock);
    Statement query(m_reader, "SELECT COUNT(*) FROM results");
    if (!query.Ok() || query.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return query.Int(0);
}

std::optional<uint64_t> SqliteStore::FreeBytes() {
    struct statvfs disk {};
    if (statvfs(m_folder.c_str(), &disk) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
}

} // namespace scored
