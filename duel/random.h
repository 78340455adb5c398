#pragma once
#include <cstdint>

namespace duel {

// The duel's own dice. A replay carries only the seed, so the game and the
// score server must draw the very same numbers from it on any machine and
// any C library: a fixed linear congruential generator, giving 0 … 32767 like
// the runtime's rand the game was tuned with.
class Random {
public:
    explicit Random(uint32_t seed = 1) : m_state(seed) {}

    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

private:
    uint32_t m_state;
};

} // namespace duel
