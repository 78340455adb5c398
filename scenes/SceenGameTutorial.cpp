#include "scenes/SceenGame.h"

#include "platform/haptics.h"
#include "resources/texts.h"

// The tutorial (level 1) is a fixed script of nineteen steps. Each step shows
// its lines and starts its narration, then gives the listener 5000 ms; four
// steps first let a swing be heard from its side and pitch, one lets the
// chance be heard, each for 1000 ms before the words that explain it. In the
// steps after each sound the player tries the key it asks for.

namespace {

constexpr int kNoDemonstration = -1;
// The chance is heard centred at its own pitch, as picture 0 places a cue.
constexpr int kChanceDemonstration = 0;
constexpr int kChanceStep = 12;
// Step 4's swing is the first sound the player is meant to answer: his
// upper-left key is heard out already while the swing is still in the air.
constexpr int kFirstSwingStep = 4;

constexpr int kDemonstrationMs = 1000;
constexpr int kStepMs = 5000;

struct TutorialScript {
    // The picture (and so the direction) a swing demonstrates,
    // kChanceDemonstration for the chance, or kNoDemonstration.
    int nDemonstration;
    bool bPractice; // the step's key is tried while its narration runs
};

constexpr TutorialScript kScript[texts::kTutorialStepCount] = {
    {kNoDemonstration, false},    // 0 who you are
    {kNoDemonstration, false},    // 1 one against one
    {kNoDemonstration, false},    // 2 the enemy attacks
    {kNoDemonstration, false},    // 3 block, then strike
    {1, false},                   // 4 upper left
    {kNoDemonstration, true},     // 5 its key
    {3, false},                   // 6 lower left
    {kNoDemonstration, true},     // 7 its key
    {2, false},                   // 8 upper right
    {kNoDemonstration, true},     // 9 its key
    {4, false},                   // 10 lower right
    {kNoDemonstration, true},     // 11 its key
    {kChanceDemonstration, true}, // 12 the chance and the strike
    {kNoDemonstration, false},    // 13 the next enemy
    {kNoDemonstration, false},    // 14 five mistakes lose
    {kNoDemonstration, false},    // 15 easy
    {kNoDemonstration, false},    // 16 normal
    {kNoDemonstration, false},    // 17 hard
    {kNoDemonstration, false},    // 18 the end
};

} // namespace

void CSceenGame::TutorialStep() {
    m_bKeyExpected = 0;
    if (m_nTutorialStep >= texts::kTutorialStepCount) {
        // Repeated every frame until the main window takes the scene down.
        m_nCommand = 0;
        return;
    }
    const int nStep = m_nTutorialStep;
    const TutorialScript& script = kScript[nStep];
    const bool bDemonstrates = script.nDemonstration != kNoDemonstration;
    if (bDemonstrates && m_nTutorialPhase == 0) {
        m_nPicture = script.nDemonstration;
        PlayCue(nStep == kChanceStep ? m_nSoundChance : m_nSoundHuri);
        Wait(kDemonstrationMs);
        m_nTutorialPhase = 1;
        if (nStep == kFirstSwingStep) {
            m_bKeyExpected = 1;
        }
        return;
    }
    if (nStep == kChanceStep) {
        // From here on the strike lands; the phase stays 1, as no later step
        // demonstrates anything.
        m_nPicture = 0;
        m_nBlocksLeft = -1;
    } else if (bDemonstrates) {
        m_nTutorialPhase = 0;
    }
    SetTextLines(m_pTexts->tutorialLines[nStep][0], m_pTexts->tutorialLines[nStep][1], "");
    if (script.bPractice) {
        m_bKeyExpected = 1;
    }
    Play(m_anSoundText[nStep]);
    m_nTutorialStep += 1;
    Wait(kStepMs);
}

void CSceenGame::TutorialKey(unsigned nChar) {
    // The flag stays set: every press within the step is answered.
    const int nDirection = DirectionOfKey(nChar);
    if (nDirection != 0 && nDirection == m_nPicture) {
        // The clash on the side being taught; nothing else, not even the arm.
        // A controller feels it as it will in the duel.
        PlayClash();
        platform::Feel(platform::Haptic::Block);
        return;
    }
    if (nDirection != 0) {
        Play(m_nSoundSasu2);
        platform::Feel(platform::Haptic::Cut);
        ShowSingleLine(texts::kDuelDamage + std::to_string(m_nDamage));
        return;
    }
    if (IsStrikeKey(nChar) && m_nBlocksLeft < 0) {
        // He stays struck down for the rest of the script.
        Play(m_nSoundSasu1);
        m_nPicture = 5;
    }
}
