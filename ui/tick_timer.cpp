#include "ui/tick_timer.h"

namespace ui {

namespace {
// Signed distance, so the 32-bit tick count may wrap between two ticks.
int32_t Until(uint32_t due, uint32_t now) {
    return static_cast<int32_t>(due - now);
}
} // namespace

void TickTimer::Start(int id, uint32_t periodMs, uint32_t now) {
    // As with the old timers, a period below 10 ms is raised to 10 ms.
    constexpr uint32_t kMinimumPeriod = 10;
    m_id = id;
    m_period = periodMs < kMinimumPeriod ? kMinimumPeriod : periodMs;
    m_due = now + m_period;
}

uint32_t TickTimer::Remaining(uint32_t now) const {
    const int32_t left = Until(m_due, now);
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

bool TickTimer::TakeDue(uint32_t now) {
    if (m_period == 0 || Until(m_due, now) > 0) {
        return false;
    }
    const uint32_t late = now - m_due;
    m_due += (late / m_period + 1) * m_period;
    return true;
}

} // namespace ui
