#include "server/log_throttle.h"

#include <cstdio>

namespace scored {
namespace {

void Say(std::string_view text, long unsaid, const char* what) {
    std::string line(text);
    // libpq's messages run over several lines; the log keeps one per event.
    for (char& c : line) {
        c = c == '\n' || c == '\r' ? ' ' : c;
    }
    if (unsaid > 0) {
        line += " (" + std::to_string(unsaid) + " more " + what + " since last said)";
    }
    std::fprintf(stderr, "kirikaze-scored: %s\n", line.c_str());
}

} // namespace

void LogThrottle::Failed(std::string_view problem) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto now = Clock::now();
    if (m_failing && now - m_said < m_quiet) {
        ++m_unsaid;
        return;
    }
    Say(problem, m_unsaid, "times");
    m_failing = true;
    m_unsaid = 0;
    m_said = now;
}

void LogThrottle::Recovered(std::string_view news) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_failing) {
        return;
    }
    Say(news, m_unsaid, "failures");
    m_failing = false;
    m_unsaid = 0;
}

} // namespace scored
