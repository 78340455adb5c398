#pragma once
#include <chrono>
#include <string>

struct pg_conn;
struct pg_result;

namespace scored {

// One connection to PostgreSQL on which no wait outlasts its deadline: not
// connecting, not sending, not an answer. A database that stops answering
// (its machine gone, its processes stopped) costs a caller its deadline and
// no more. A connection that was lost or late is dropped and made anew on
// its next use, so nothing it was sending is answered for later.
class PostgresConnection {
public:
    using Clock = std::chrono::steady_clock;

    explicit PostgresConnection(std::string url) : m_url(std::move(url)) {}
    ~PostgresConnection() { Drop(); }
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    // Connected, outside any transaction, by `by`; false, with the reason
    // in error, otherwise.
    bool Ready(Clock::time_point by, std::string& error);
    pg_conn* get() const { return m_db; }

    // Sends what the queries queued; false when it could not all go by `by`.
    bool Flush(Clock::time_point by);
    // The next result of what was sent (null after each query's last), or
    // null with late set when it had not come by `by`.
    pg_result* Next(Clock::time_point by, bool& late);

    // Runs statements that return no rows wanted; false, with the reason in
    // error, when one failed or the database was late.
    bool Run(const char* sql, Clock::time_point by, std::string& error);

    void Drop();
    // The last thing libpq said went wrong, on one line.
    std::string Error() const;

private:
    bool Wait(short events, Clock::time_point by) const;

    std::string m_url;
    pg_conn* m_db = nullptr;
};

} // namespace scored
