#include "server/score_store.h"

#include <filesystem>
#include <sqlite3.h>
#include <system_error>

namespace scored {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS results (
    id INTEGER PRIMARY KEY,
    area TEXT NOT NULL,
    name TEXT NOT NULL,
    level INTEGER NOT NULL CHECK (level BETWEEN 1 AND 3),
    score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 9999),
    created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP
);
CREATE INDEX IF NOT EXISTS results_by_level ON results (level, score, id);
PRAGMA user_version = 1;
)sql";

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
    sqlite3_stmt* get() const { return m_stmt; }
    bool Bind(int index, int value) { return sqlite3_bind_int(m_stmt, index, value) == SQLITE_OK; }
    bool Bind(int index, const std::string& value) {
        return sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    int Step() { return sqlite3_step(m_stmt); }
    // For statements that yield one number.
    std::optional<int64_t> Single() {
        if (Step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return sqlite3_column_int64(m_stmt, 0);
    }
    std::string Text(int column) {
        const auto* text = sqlite3_column_text(m_stmt, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  sqlite3_column_bytes(m_stmt, column))
                    : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
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

} // namespace

std::unique_ptr<ScoreStore> ScoreStore::Open(const std::string& path, std::string& error) {
    if (!PrepareFolder(path, error)) {
        return nullptr;
    }
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<ScoreStore> store(new ScoreStore(db));
    if (rc != SQLITE_OK) {
        error = "cannot open " + path + ": " + store->LastError();
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // Another process on the same file (a second server, a backup) only
    // makes us wait a little, never fail at once.
    sqlite3_busy_timeout(db, 5000);
    if (sqlite3_db_readonly(db, "main") == 1) {
        error = path + " is not writable";
        return nullptr;
    }
    if (!UseWriteAheadLog(db)) {
        error = "cannot use write-ahead logging on " + path + ": " + store->LastError();
        return nullptr;
    }
    // FULL syncs the log on every commit: an answered result survives even a
    // power cut, not only a killed server.
    if (!Exec(db, "PRAGMA synchronous = FULL") || !Exec(db, "BEGIN IMMEDIATE") ||
        !Exec(db, kSchema) || !Exec(db, "COMMIT")) {
        error = "cannot write to " + path + ": " + store->LastError();
        return nullptr;
    }
    return store;
}

ScoreStore::~ScoreStore() {
    sqlite3_close_v2(m_db);
}

std::string ScoreStore::LastError() const {
    return m_db ? sqlite3_errmsg(m_db) : "out of memory";
}

std::optional<Standing> ScoreStore::Add(const Submission& result, std::string& error) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!Exec(m_db, "BEGIN IMMEDIATE")) {
        error = LastError();
        return std::nullopt;
    }
    Standing standing;
    bool ok = false;
    {
        Statement insert(m_db,
                         "INSERT INTO results (area, name, level, score) VALUES (?, ?, ?, ?)");
        Statement better(m_db, "SELECT COUNT(*) FROM results WHERE level = ? AND score < ?");
        Statement total(m_db, "SELECT COUNT(*) FROM results WHERE level = ?");
        ok = insert.Ok() && better.Ok() && total.Ok() && insert.Bind(1, result.area) &&
             insert.Bind(2, result.name) && insert.Bind(3, result.level) &&
             insert.Bind(4, result.score) && insert.Step() == SQLITE_DONE &&
             better.Bind(1, result.level) && better.Bind(2, result.score) &&
             total.Bind(1, result.level);
        std::optional<int64_t> ahead = ok ? better.Single() : std::nullopt;
        std::optional<int64_t> all = ok ? total.Single() : std::nullopt;
        ok = ahead && all;
        if (ok) {
            standing.rank = static_cast<int>(*ahead) + 1;
            standing.total = static_cast<int>(*all);
        }
    }
    if (ok && Exec(m_db, "COMMIT")) {
        return standing;
    }
    error = LastError();
    Exec(m_db, "ROLLBACK");
    return std::nullopt;
}

std::optional<std::vector<StoredResult>> ScoreStore::Best(int level, int limit) {
    std::lock_guard<std::mutex> hold(m_lock);
    Statement query(m_db, "SELECT name, area, score, created FROM results WHERE level = ? "
                          "ORDER BY score, id LIMIT ?");
    if (!query.Ok() || !query.Bind(1, level) || !query.Bind(2, limit)) {
        return std::nullopt;
    }
    std::vector<StoredResult> best;
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) {
        best.push_back(
            {query.Text(0), query.Text(1), sqlite3_column_int(query.get(), 2), query.Text(3)});
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return best;
}

std::optional<int64_t> ScoreStore::Count() {
    std::lock_guard<std::mutex> hold(m_lock);
    Statement query(m_db, "SELECT COUNT(*) FROM results");
    return query.Ok() ? query.Single() : std::nullopt;
}

} // namespace scored
