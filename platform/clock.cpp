#include "platform/clock.h"

#include "platform/services.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t GetTickCount() {
    Clock* clock = GetServices().clock;
    return clock ? clock->TickCount() : 0;
}

void Sleep(uint32_t ms) {
    if (Clock* clock = GetServices().clock) {
        clock->Sleep(ms);
    }
}

uint32_t SteadyClock::TickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

void SteadyClock::Sleep(uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
