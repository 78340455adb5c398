#pragma once
#include <cstdint>

namespace platform {

// Milliseconds and waiting, as the game has always counted them.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed start; wraps around like a 32-bit counter.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// Through the installed backend; 0 and no wait when none is installed.
uint32_t GetTickCount();
void Sleep(uint32_t ms);

// The real clock: a steady clock, so wall-clock changes never move deadlines.
class SteadyClock : public Clock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
};

} // namespace platform
