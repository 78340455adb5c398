#pragma once
#include <cstdint>

namespace ui {

// One periodic timer as the old window timers behaved: the ticks that fall due
// while the thread is busy are not made up; a busy spell of any length leaves
// exactly one waiting tick. Shared by both backends so they tick alike.
class TickTimer {
public:
    void Start(int id, uint32_t periodMs, uint32_t now);
    bool Running() const { return m_period != 0; }
    int Id() const { return m_id; }
    uint32_t Period() const { return m_period; }

    // Milliseconds until the next tick falls due (0 when one is waiting).
    uint32_t Remaining(uint32_t now) const;
    // True when a tick is waiting; it is then taken, and the next one falls
    // due on the first period boundary after now.
    bool TakeDue(uint32_t now);

private:
    int m_id = 0;
    uint32_t m_period = 0;
    uint32_t m_due = 0;
};

} // namespace ui
