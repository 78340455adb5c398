#pragma once
// A good player of the duel's real rules, for the tests and benchmarks that
// need won duels' replays: each swing answered with the right guard 250 to
// 400 ms after it was heard, the strike soon after the chance opens.
#include "duel/duel.h"
#include "duel/duel_clock.h"
#include "duel/replay.h"

#include <algorithm>
#include <optional>
#include <random>

namespace duel_test {

struct ReplayPlayer {
    int level = 2; // as the score table numbers it: 1 easy, 2 normal, 3 hard
    uint32_t seed = 1;
    // The first three swings are let pass; more mistakes are guards to the
    // wrong side.
    int mistakes = 0;
    int firstGuardMs = 0; // when not 0, the first guard comes this soon

    duel::Replay Play() const {
        using duel::Duel;
        Duel duel;
        duel.m_nLevel = level + 1;
        duel.Begin(seed);
        std::minstd_rand dice(seed + 1);
        auto roll = [&dice](int from, int to) {
            return from + static_cast<int>(dice() % static_cast<unsigned>(to - from));
        };
        duel::Replay replay{level, seed, roll(0, 101), {}};
        std::optional<duel::Press> next;
        int answered = -1; // the swing already answered or let pass
        int errors = 0;
        bool first = true;
        for (int frame = 0; duel.m_nState != Duel::kWon && frame < 1000000; ++frame) {
            const int now = duel::DuelClock::FrameTime(replay.firstFrame, frame);
            while (next && next->time < now) {
                const duel::Press press = *next;
                next.reset();
                duel.Take(press.input, press.time);
                if (duel.m_nState == Duel::kAttack && duel.m_nBlocksLeft < 0) {
                    next = duel::Press{press.time + roll(20, 50), duel::Input::Strike};
                }
            }
            if (duel.m_nState == Duel::kWon) {
                break;
            }
            duel.Frame(now);
            if (duel.m_nState != Duel::kAttack || duel.SwingStart() == answered) {
                continue;
            }
            answered = duel.SwingStart();
            if (errors < std::min(mistakes, 3)) {
                ++errors; // let pass
                continue;
            }
            // From the fourth mistake on, the close of any window loses: they
            // are wrong guards just before the last enemy's last block.
            const bool mistake = errors < mistakes && duel.m_nBlocksLeft == 0 &&
                                 Duel::IsLastEnemy(duel.m_nLevel, duel.m_nEnemy);
            errors += mistake;
            // Late enough to leave the strike room in the shortest windows.
            const int latest = std::min(400, Duel::ReactionWindow(duel.m_nEnemy) - 60);
            const int delay = first && firstGuardMs ? firstGuardMs : roll(250, latest);
            first = false;
            // Upper left and right, lower left and right: 1 ↔ 2, 3 ↔ 4.
            const int side = mistake ? ((duel.m_nPicture - 1) ^ 1) + 1 : duel.m_nPicture;
            next = duel::Press{answered + delay, static_cast<duel::Input>(side)};
        }
        replay.presses = duel.Presses();
        return replay;
    }
};

} // namespace duel_test
