#pragma once
// Moves a duel along for the rule tests, reading the scene to know what to do
// (the listening bot, which must not, works from the audio alone).
#include "duel/duel_game.h"

#include <algorithm>
#include <string>
#include <vector>

namespace duel_test {

inline bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Frames until the next attack has begun (its swing has just started).
inline bool AwaitAttack(DuelGame& g, int maxFrames = 200) {
    int i = 0;
    for (; i < maxFrames && g.InDuel() && g.Game().m_nState == CSceenGame::kAttack; ++i) {
        g.Frame();
    }
    for (; i < maxFrames && g.InDuel() && g.Game().m_nState != CSceenGame::kAttack; ++i) {
        g.Frame();
    }
    return g.InDuel() && g.Game().m_nState == CSceenGame::kAttack;
}

// Frames until the attack under way has closed.
inline void AwaitWindowClose(DuelGame& g, int maxFrames = 50) {
    for (int i = 0; i < maxFrames && g.InDuel() && g.Game().m_nState == CSceenGame::kAttack; ++i) {
        g.Frame();
    }
}

inline void BlockAttack(DuelGame& g) {
    g.Key(DuelGame::BlockKey(g.Game().m_nPicture));
}

// Blocks attack after attack until the chance opens, then strikes.
inline bool DefeatEnemy(DuelGame& g) {
    for (int attacks = 0; attacks < 10; ++attacks) {
        if (!AwaitAttack(g)) {
            return false;
        }
        BlockAttack(g);
        if (g.Game().m_nBlocksLeft < 0) {
            g.Key(VK_SPACE);
            return true;
        }
    }
    return false;
}

// Lets attacks close unblocked until that many mistakes are made.
inline bool MakeMistakes(DuelGame& g, int count) {
    while (g.InDuel() && g.Game().m_nDamage < count) {
        if (!AwaitAttack(g)) {
            return false;
        }
        AwaitWindowClose(g);
    }
    return g.InDuel() && g.Game().m_nDamage == count;
}

} // namespace duel_test
