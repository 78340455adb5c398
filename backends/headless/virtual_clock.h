#pragma once
#include "platform/clock.h"

#include <cstdint>

namespace platform::headless {

// Time that only moves when a test moves it. Sleep advances it, so code that
// waits still makes progress without taking real time.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(uint32_t start = 0) : m_now(start) {}
    uint32_t TickCount() override { return m_now; }
    void Sleep(uint32_t ms) override { m_now += ms; }
    void Advance(uint32_t ms) { m_now += ms; }

private:
    uint32_t m_now;
};

} // namespace platform::headless
