#include "duel/referee.h"

#include "duel/duel_clock.h"

namespace duel {

Referee::Verdict Referee::Judge(const Replay& replay) {
    Duel duel;
    // The score table's levels 1 … 3 are the duel's 2 … 4.
    duel.m_nLevel = replay.level + 1;
    duel.Begin(replay.seed);
    const auto& presses = replay.presses;
    size_t next = 0;
    for (int frame = 0;; ++frame) {
        const int frameTime = DuelClock::FrameTime(replay.firstFrame, frame);
        // The inputs made before this frame, as the player made them.
        for (; next < presses.size() && presses[next].time < frameTime; ++next) {
            const Press& press = presses[next];
            const bool guard = press.input != Input::Strike;
            if (guard && duel.m_nState == Duel::kAttack &&
                static_cast<int>(press.input) == duel.m_nPicture &&
                press.time - duel.SwingStart() < kFastestGuardMs) {
                return {Outcome::TooFast, duel.m_nDamage};
            }
            duel.Take(press.input, press.time);
            if (duel.m_nState == Duel::kWon) {
                // Winning is the duel's last input: nothing may follow it.
                const bool last = next + 1 == presses.size();
                return {last ? Outcome::Won : Outcome::Lost, duel.m_nDamage};
            }
        }
        if (duel.m_nState == Duel::kLost || next == presses.size()) {
            return {Outcome::Lost, duel.m_nDamage};
        }
        duel.Frame(frameTime);
    }
}

} // namespace duel
