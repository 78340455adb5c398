#include "duel/referee.h"

#include "duel/duel_clock.h"

namespace duel {

Referee::Verdict Referee::Judge(const Replay& replay) {
    Duel duel;
    // The score table's levels 1 … 3 are the duel's 2 … 4.
    duel.m_nLevel = replay.level + 1;
    duel.Begin(replay.seed);
    size_t next = 0;
    for (int frame = 0;; ++frame) {
        const int frameTime = DuelClock::FrameTime(replay.firstFrame, frame);
        next = replay.TakeBefore(duel, next, frameTime);
        if (duel.QuickestGuard() < kFastestGuardMs) {
            return {Outcome::TooFast, duel.m_nDamage};
        }
        if (duel.m_nState == Duel::kWon) {
            // Winning is the duel's last input: nothing may follow it.
            return {next == replay.presses.size() ? Outcome::Won : Outcome::Lost, duel.m_nDamage};
        }
        if (duel.m_nState == Duel::kLost || next == replay.presses.size()) {
            return {Outcome::Lost, duel.m_nDamage};
        }
        duel.Frame(frameTime);
    }
}

} // namespace duel
