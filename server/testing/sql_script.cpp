#include "server/testing/sql_script.h"

#include "server/score_store.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace scored {

std::string SqlScript::Run(const std::string& database, const std::string& sql) {
    std::string error;
    if (ScoreStore::IsPostgres(database)) {
        PGconn* db = PQconnectdb(database.c_str());
        PQsetNoticeProcessor(
            db, [](void*, const char*) {}, nullptr);
        PGresult* result = PQexec(db, sql.c_str());
        error = PQresultStatus(result) == PGRES_COMMAND_OK ? "" : PQerrorMessage(db);
        PQclear(result);
        PQfinish(db);
        return error;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(database.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
    }
    sqlite3_close(db);
    return error;
}

} // namespace scored
