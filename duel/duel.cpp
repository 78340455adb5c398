#include "duel/duel.h"

#include <algorithm>

namespace duel {

namespace {

// Enemies 1 … 5 only ever swing from above, so an easy duel is all high swings.
constexpr int kLastUpperOnlyEnemy = 5;

} // namespace

void Duel::Begin(uint32_t seed) {
    m_nSeed = seed;
    m_random = Random(seed);
    m_aPresses.clear();
    m_nNow = 0;
    m_nPicture = 0;
    m_nState = kApproach;
    Wait(2000);
    m_nEnemy = 1;
    m_nDamage = 0;
    // m_nBlocksLeft keeps its 0, so the first enemy opens up after one block.
    OnApproach(false);
}

void Duel::Frame(int now) {
    m_nNow = now;
    if (!Due(now)) {
        return;
    }
    if (m_nState == kLost || m_nState == kWon) {
        m_bConfirmable = 1;
    }
    switch (m_nState) {
    case kApproach: {
        m_nState = kChallenge;
        int nRoll = Roll(3);
        OnApproachEnd(nRoll < 2 ? nRoll : 2);
        Wait(1000);
        break;
    }
    case kChallenge:
        m_nState = kPause;
        Wait(1000);
        break;
    case kPause:
        NextAttack();
        break;
    case kAttack:
        EndAttackWindow();
        break;
    case kDefeated:
        NewEnemy();
        break;
    default:
        break;
    }
}

bool Duel::Take(Input input, int now) {
    if (m_nState != kAttack) {
        return false;
    }
    m_nNow = now;
    m_aPresses.push_back({now, input});
    if (input != Input::Strike) {
        Block(static_cast<int>(input));
        return true;
    }
    m_bArm = 1;
    if (m_nBlocksLeft >= 0) {
        OnParried();
        return true;
    }
    Strike();
    return true;
}

void Duel::EndAttackWindow() {
    // Four mistakes made: the close of this window loses, blocked or not.
    if (m_nDamage > 3) {
        Lose();
        return;
    }
    if (!m_bBlocked) {
        TakeDamage();
    }
    m_nState = kPause;
    m_nPicture = 0;
    Wait(500);
}

void Duel::NextAttack() {
    m_bArm = 0;
    int nChoices = m_nEnemy <= kLastUpperOnlyEnemy ? 2 : 4;
    m_nPicture = 1 + m_random.Next() % nChoices;
    m_nState = kAttack;
    m_nSwingStart = m_nNow;
    OnSwing();
    Wait(ReactionWindow(m_nEnemy));
    m_bBlocked = 0;
}

void Duel::NewEnemy() {
    m_bArm = 0;
    m_nPicture = 0;
    m_nBlocksLeft = 1 + Roll(4);
    m_nState = kApproach;
    OnApproach(true);
    Wait(1500);
    m_nEnemy += 1;
    m_bBlocked = 0;
}

void Duel::TakeDamage() {
    m_nDamage += 1;
    OnCut();
}

void Duel::Block(int nDirection) {
    if (nDirection != m_nPicture) {
        // A wrong guard is a cut at once, and the attack is over.
        TakeDamage();
        Wait(1000);
        m_nState = kPause;
        return;
    }
    m_nBlocksLeft -= 1;
    m_nQuickestGuard = std::min(m_nQuickestGuard, m_nNow - m_nSwingStart);
    OnBlock();
    m_bArm = 1;
    m_bBlocked = 1;
    if (m_nBlocksLeft < 0) {
        OnChance();
    }
}

void Duel::Strike() {
    m_nPicture = 5;
    m_nState = kDefeated;
    int nRoll = Roll(3);
    OnStrike(nRoll < 2 ? nRoll : 2);
    Wait(1000);
    if (!IsLastEnemy(m_nLevel, m_nEnemy)) {
        return;
    }
    m_nState = kWon;
    Wait(3000);
    OnWon();
}

void Duel::Lose() {
    m_nState = kLost;
    OnLost();
    Wait(3000);
    m_nPicture = 6;
}

int Duel::Roll(int n) {
    // roll(n) lies in 0 … n − 1, and is n only when the dice show 32767.
    return static_cast<int>(static_cast<double>(n) * m_random.Next() / 32767.0);
}

bool Duel::IsLastEnemy(int nLevel, int nEnemy) {
    return (nLevel == 2 && nEnemy >= 5) || (nLevel == 3 && nEnemy >= 10) ||
           (nLevel == 4 && nEnemy >= 50);
}

int Duel::ReactionWindow(int nEnemy) {
    // 1500 ms for the first five, 1200 for the next five, then 100 ms less
    // every five enemies, never below 400.
    if (nEnemy <= 5) {
        return 1500;
    }
    if (nEnemy <= 10) {
        return 1200;
    }
    int nStep = (nEnemy - 11) / 5;
    int nWindow = 1100 - 100 * nStep;
    return nWindow < 400 ? 400 : nWindow;
}

} // namespace duel
