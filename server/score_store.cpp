#include "server/score_store.h"

#include "server/postgres_store.h"
#include "server/sqlite_store.h"

namespace scored {

bool ScoreStore::IsPostgres(const std::string& where) {
    return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ScoreStore> ScoreStore::Open(const std::string& where, std::string& error) {
    if (IsPostgres(where)) {
        return PostgresStore::Open(where, error);
    }
    return SqliteStore::Open(where, error);
}

} // namespace scored
