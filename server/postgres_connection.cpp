#include "server/postgres_connection.h"

#include <libpq-fe.h>
#include <poll.h>

namespace scored {
namespace {

// The server gives up on a statement of ours about when we give up on it.
constexpr const char* kSetUp = "SET statement_timeout = 3000";

} // namespace

bool PostgresConnection::Ready(Clock::time_point by, std::string& error) {
    if (m_db && PQstatus(m_db) == CONNECTION_OK && PQtransactionStatus(m_db) == PQTRANS_IDLE) {
        return true;
    }
    Drop();
    // Our own deadline bounds the wait (libpq leaves it to us when polled);
    // keepalives find a connection whose far end vanished while it idled.
    // The URL's own settings, given last, win.
    const char* keys[] = {"keepalives",
                          "keepalives_idle",
                          "keepalives_interval",
                          "keepalives_count",
                          "tcp_user_timeout",
                          "dbname",
                          nullptr};
    const char* values[] = {"1", "10", "3", "3", "10000", m_url.c_str(), nullptr};
    m_db = PQconnectStartParams(keys, values, 1);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (m_db && PQstatus(m_db) != CONNECTION_BAD && state != PGRES_POLLING_OK &&
           state != PGRES_POLLING_FAILED) {
        if (!Wait(state == PGRES_POLLING_READING ? POLLIN : POLLOUT, by)) {
            error = "cannot connect to PostgreSQL: no answer in time";
            Drop();
            return false;
        }
        state = PQconnectPoll(m_db);
    }
    if (!m_db || state != PGRES_POLLING_OK) {
        error = "cannot connect to PostgreSQL: " + (m_db ? Error() : "out of memory");
        Drop();
        return false;
    }
    PQsetnonblocking(m_db, 1);
    // Notices ("relation already exists, skipping") are no news to an operator.
    PQsetNoticeProcessor(
        m_db, [](void*, const char*) {}, nullptr);
    return Run(kSetUp, by, error);
}

bool PostgresConnection::Wait(short events, Clock::time_point by) const {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(by - Clock::now());
    pollfd p{PQsocket(m_db), events, 0};
    return p.fd >= 0 && left.count() > 0 && poll(&p, 1, static_cast<int>(left.count())) > 0;
}

bool PostgresConnection::Flush(Clock::time_point by) {
    int rc;
    while ((rc = PQflush(m_db)) == 1) {
        // Reading what comes meanwhile keeps the server from blocking on us.
        if (!Wait(POLLOUT | POLLIN, by) || !PQconsumeInput(m_db)) {
            return false;
        }
    }
    return rc == 0;
}

PGresult* PostgresConnection::Next(Clock::time_point by, bool& late) {
    while (PQisBusy(m_db)) {
        if (!Wait(POLLIN, by)) {
            late = true;
            return nullptr;
        }
        if (!PQconsumeInput(m_db)) {
            break; // lost: the next result says so
        }
    }
    return PQgetResult(m_db);
}

bool PostgresConnection::Run(const char* sql, Clock::time_point by, std::string& error) {
    bool late = false;
    bool ok = PQsendQuery(m_db, sql) == 1 && Flush(by);
    // A result for each statement, then null.
    for (PGresult* result; ok && (result = Next(by, late));) {
        ExecStatusType status = PQresultStatus(result);
        ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        PQclear(result);
    }
    if (ok && !late) {
        return true;
    }
    error = late ? "PostgreSQL did not answer in time" : Error();
    Drop();
    return false;
}

void PostgresConnection::Drop() {
    if (m_db) {
        PQfinish(m_db);
        m_db = nullptr;
    }
}

std::string PostgresConnection::Error() const {
    std::string message = m_db ? PQerrorMessage(m_db) : "not connected";
    for (char& c : message) {
        c = c == '\n' ? ' ' : c;
    }
    while (!message.empty() && message.back() == ' ') {
        message.pop_back();
    }
    return message;
}

} // namespace scored
