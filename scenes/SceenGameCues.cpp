#include "scenes/SceenGame.h"

#include "platform/haptics.h"
#include "platform/keys.h"
#include "resources/texts.h"

#include <string>

namespace {

// Where a cue sits and how high it plays, by the attack's direction.
struct Placement {
    float fPan;   // −1 left, 0 centre, +1 right
    float fPitch; // +1 high, 0 the sample's own, −1 low
};

Placement PlacementOf(int nPicture) {
    switch (nPicture) {
    case 1:
        return {-1.0f, 1.0f};
    case 2:
        return {1.0f, 1.0f};
    case 3:
        return {-1.0f, -1.0f};
    case 4:
        return {1.0f, -1.0f};
    default:
        return {0.0f, 0.0f};
    }
}

// The samples are recorded at 22050 Hz; the player adds a tenth on top, so
// these come out at 24200 and 13200 Hz.
constexpr uint32_t kFrequencyHigh = 22000;
constexpr uint32_t kFrequencyLow = 12000;

} // namespace

void CSceenGame::RegisterSounds() {
    m_nSoundAsiato = RegisterSound("\\sound\\asiato");
    m_nSoundHuri = RegisterSound("\\sound\\huri");
    m_nSoundKin = RegisterSound("\\sound\\kin");
    m_nSoundSasu1 = RegisterSound("\\sound\\sasu1");
    m_nSoundSasu2 = RegisterSound("\\sound\\sasu2");
    m_nSoundChance = RegisterSound("\\sound\\chance");
    m_nSoundGameOver = RegisterSound("\\sound\\GameOver");
    m_nSoundYouLose = RegisterSound("\\sound\\youlose");
    m_nSoundWinner = RegisterSound("\\sound\\winner");
    m_anSoundChallenge[0] = RegisterSound("\\sound\\iza");
    m_anSoundChallenge[1] = RegisterSound("\\sound\\mairu");
    m_anSoundChallenge[2] = RegisterSound("\\sound\\kakugo");
    m_anSoundDeathCry[0] = RegisterSound("\\sound\\uwaa");
    m_anSoundDeathCry[1] = RegisterSound("\\sound\\yarareta");
    m_anSoundDeathCry[2] = RegisterSound("\\sound\\munen");
    for (int i = 0; i < 5; ++i) {
        m_anSoundDamage[i] = RegisterSound("\\sound\\damage" + std::to_string(i + 1));
    }
    for (int i = 0; i < 19; ++i) {
        m_anSoundText[i] = RegisterSound("\\sound\\text\\" + std::to_string(i + 1));
    }
    for (int i = 0; i < 100; ++i) {
        m_anSoundNo[i] = RegisterSound("\\sound\\no\\" + std::to_string(i + 1));
    }
}

void CSceenGame::OnApproach(bool bLaterEnemy) {
    m_fZoom = 0.0f;
    if (!bLaterEnemy) {
        PlayPlaced(m_nSoundAsiato, 0.0f, 0.0f);
        RequestRepaint();
        return;
    }
    m_aTextLines.clear();
    PlayPlaced(m_nSoundAsiato, 0.0f, 1.0f);
    int nNumber = m_nEnemy + 1;
    // Numbers are recorded up to 100; hard ends at 50.
    if (nNumber >= 1 && nNumber <= 100) {
        Play(m_anSoundNo[nNumber - 1]);
    }
}

void CSceenGame::OnApproachEnd(int nChallengeVoice) {
    StopSounds();
    Play(m_anSoundChallenge[nChallengeVoice]);
}

void CSceenGame::OnSwing() {
    PlayCue(m_nSoundHuri);
}

void CSceenGame::OnBlock() {
    PlayClash();
    platform::Feel(platform::Haptic::Block);
}

void CSceenGame::OnChance() {
    Play(m_nSoundChance);
    ShowSingleLine(m_pTexts->duelChance);
}

void CSceenGame::OnParried() {
    // The clash comes from wherever it was last placed.
    Play(m_nSoundKin);
}

void CSceenGame::OnCut() {
    Play(m_nSoundSasu2);
    // Felt too, where something can be felt; the sound stays what tells it.
    platform::Feel(platform::Haptic::Cut);
    ShowSingleLine(texts::kDuelDamage + std::to_string(m_nDamage));
    if (m_nDamage >= 1 && m_nDamage <= 5) {
        Play(m_anSoundDamage[m_nDamage - 1]);
    }
}

void CSceenGame::OnStrike(int nDeathCry) {
    Play(m_nSoundSasu1);
    Play(m_anSoundDeathCry[nDeathCry]);
}

void CSceenGame::OnWon() {
    Play(m_nSoundWinner);
    ShowSingleLine(m_pTexts->duelWon);
}

void CSceenGame::OnLost() {
    Play(m_nSoundYouLose);
    Play(m_nSoundGameOver);
    Play(m_nSoundSasu2);
    platform::Feel(platform::Haptic::Lost);
}

int CSceenGame::RegisterSound(const std::string& strName) {
    int nId = m_nSoundCount;
    m_sound.AddSound(m_strDataDir + strName + ".ywv", static_cast<uint32_t>(nId));
    m_nSoundCount += 1;
    return nId;
}

void CSceenGame::PlayPlaced(int nId, float fPan, float fPitch) {
    if (nId < 0) {
        return;
    }
    int32_t nPan =
        fPan < 0 ? platform::kPanLeft : (fPan > 0 ? platform::kPanRight : platform::kPanCenter);
    uint32_t nFrequency = fPitch > 0 ? kFrequencyHigh : (fPitch < 0 ? kFrequencyLow : 0);
    // Placed once it plays: the cue is turned and tuned within the same
    // frame it starts, so the ear only ever hears it where it belongs.
    auto id = static_cast<uint32_t>(nId);
    m_sound.Play(id, 0);
    m_sound.SetPan(id, nPan);
    m_sound.SetFrequency(id, nFrequency);
}

void CSceenGame::PlayCue(int nId) {
    StopSounds();
    Placement placement = PlacementOf(m_nPicture);
    PlayPlaced(nId, placement.fPan, placement.fPitch);
}

void CSceenGame::PlayClash() {
    Placement placement = PlacementOf(m_nPicture);
    PlayPlaced(m_nSoundKin, placement.fPan, 0.0f);
}

void CSceenGame::SetSoundVolume(int nId, float fVolume) {
    if (nId < 0) {
        return;
    }
    m_sound.SetVolume(static_cast<uint32_t>(nId), static_cast<int32_t>(fVolume));
}

void CSceenGame::StopSounds() {
    if (m_nSoundAsiato < 0) {
        return;
    }
    m_sound.Stop(static_cast<uint32_t>(m_nSoundAsiato));
}

int CSceenGame::DirectionOfKey(unsigned nChar) {
    // Keypad codes are those sent with Num Lock on; with it off the keypad
    // sends navigation keys, which the duel ignores.
    switch (nChar) {
    case '7':
    case 'A':
    case VK_NUMPAD7:
        return 1;
    case '9':
    case 'K':
    case VK_NUMPAD9:
        return 2;
    case '1':
    case 'Z':
    case VK_NUMPAD1:
        return 3;
    case '3':
    case 'M':
    case VK_NUMPAD3:
        return 4;
    default:
        return 0;
    }
}

bool CSceenGame::IsStrikeKey(unsigned nChar) {
    return nChar == VK_SPACE || nChar == '5' || nChar == VK_NUMPAD5;
}
