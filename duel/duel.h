#pragma once
#include "duel/random.h"

#include <cstdint>
#include <vector>

namespace duel {

// What the player does in a duel: one of the four guards (numbered as the
// attack directions) or the strike.
enum class Input {
    UpperLeft = 1,
    UpperRight = 2,
    LowerLeft = 3,
    LowerRight = 4,
    Strike = 5,
};

// One input the rules took, at its duel time (ms from the duel's start).
struct Press {
    int time = 0;
    Input input = Input::Strike;
    bool operator==(const Press&) const = default;
};

// The duel's rules: enemies, attack sides, reaction windows, blocks, the
// chance, the strike, mistakes, winning and losing. Nothing here plays,
// draws or reads a clock: time is what the caller says it is, the dice are
// seeded by the caller, and what the player should perceive is announced
// through the On… hooks. So the scene plays a duel, and the score server
// and the replay player run it again from its seed and inputs alone.
class Duel {
public:
    // The values of m_nState.
    enum State {
        kApproach = 1,  // an enemy walks in: footsteps, the picture grows
        kChallenge = 2, // his challenge voice
        kPause = 3,     // between attacks
        kAttack = 4,    // a swing was heard; the reaction window is open
        kDefeated = 5,  // the player's strike felled him
        kLost = 6,      // waiting for the player to confirm
        kWon = 7,       // waiting for the player to confirm
        kTutorial = 8,  // the tutorial script runs
    };

    Duel() = default;
    virtual ~Duel() = default;
    Duel(const Duel&) = delete;
    Duel& operator=(const Duel&) = delete;

    // The first enemy walks in at duel time 0; m_nLevel is set before.
    void Begin(uint32_t seed);
    // One frame at duel time now (every 100 ms).
    void Frame(int now);
    // An input at duel time now; false when the duel had no use for it
    // (only an open attack takes inputs).
    bool Take(Input input, int now);
    // The current wait has ended by then.
    bool Due(int now) const { return !(m_dwDeadline > now); }

    uint32_t Seed() const { return m_nSeed; }
    // Every input the rules took, in order: with the seed and the level, the
    // whole duel.
    const std::vector<Press>& Presses() const { return m_aPresses; }
    // Duel time at which the attack under way was heard.
    int SwingStart() const { return m_nSwingStart; }
    // The least time from a swing to the guard that blocked it, so far.
    int QuickestGuard() const { return m_nQuickestGuard; }

    int m_nLevel = 0;           // 1 tutorial, 2 easy, 3 normal, 4 hard
    int m_dwDeadline = 0;       // duel time at which the current wait ends
    int m_nBlocksLeft = 0;      // the chance is open while this is negative
    int m_nEnemy = 0;           // the current enemy, counting from 1
    int m_nDamage = 0;          // mistakes so far: the score
    uint8_t m_bConfirmable = 0; // the end of the duel may be confirmed now
    uint8_t m_bArm = 0;         // the player's arm is out over the enemy
    uint8_t m_bBlocked = 0;     // this attack was blocked at least once
    // The enemy picture shown; during an attack also its direction 1 … 4.
    int m_nPicture = 0;
    int m_nState = 0;

    // A level whose last enemy has fallen.
    static bool IsLastEnemy(int nLevel, int nEnemy);
    static int ReactionWindow(int nEnemy);

protected:
    // The current wait ends nMilliseconds after the present duel time.
    void Wait(int nMilliseconds) { m_dwDeadline = m_nNow + nMilliseconds; }
    void SetNow(int now) { m_nNow = now; }

    // What the player perceives, each called once the rules have moved.
    virtual void OnApproach(bool /*bLaterEnemy*/) {}
    virtual void OnApproachEnd(int /*nChallengeVoice*/) {}
    virtual void OnSwing() {}
    virtual void OnBlock() {}
    virtual void OnChance() {}
    virtual void OnParried() {}
    virtual void OnCut() {}
    virtual void OnStrike(int /*nDeathCry*/) {}
    virtual void OnWon() {}
    virtual void OnLost() {}

private:
    void NextAttack();
    void NewEnemy();
    void EndAttackWindow();
    void TakeDamage();
    void Block(int nDirection);
    void Strike();
    void Lose();
    int Roll(int n);

    Random m_random;
    uint32_t m_nSeed = 0;
    int m_nNow = 0;
    int m_nSwingStart = 0;
    int m_nQuickestGuard = INT32_MAX;
    std::vector<Press> m_aPresses;
};

} // namespace duel
