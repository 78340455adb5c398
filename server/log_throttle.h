#pragma once
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

namespace scored {

// A problem that can come back many times a second (every request while the
// database is away, every new connection while no descriptor is left) goes
// to the log once, then as a count: at most once a quiet time while it lasts,
// and once when it ends. Safe from any thread.
class LogThrottle {
public:
    explicit LogThrottle(std::chrono::seconds quiet = std::chrono::seconds(60)) : m_quiet(quiet) {}

    // The problem happened again; its text on one line however many it had.
    void Failed(std::string_view problem);
    // It has ended; said, with the count since the last word, only when the
    // problem had been said.
    void Recovered(std::string_view news);

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::seconds m_quiet;
    std::mutex m_lock;
    bool m_failing = false;
    long m_unsaid = 0;
    Clock::time_point m_said;
};

} // namespace scored
