#include "scenes/SceenGame.h"

#include "platform/clock.h"
#include "platform/haptics.h"
#include "platform/keys.h"
#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

#include <cstdlib>
#include <utility>

namespace {

constexpr int kFontTenths = 300;

// Enemies 1 … 5 only ever swing from above, so an easy duel is all high swings.
constexpr int kLastUpperOnlyEnemy = 5;

} // namespace

void CSceenGame::Init(CKirikazeJDlg* pMainWnd, std::string strDataDir) {
    m_pMainWnd = pMainWnd;
    if (pMainWnd) {
        m_pTexts = &pMainWnd->Texts();
    }
    m_strDataDir = std::move(strDataDir);
    m_nPicture = 0;
    LoadPictures();
    m_pFont = new platform::Font(kFontTenths, texts::kFontFace);
    // Pan mode: the duel places its cues left and right instead of in space.
    m_sound.m_nDevice = 1;
    m_sound.CreateDevice(m_pMainWnd ? m_pMainWnd->GetPlatformWindow() : nullptr);
    RegisterSounds();
    Start();
}

void CSceenGame::Start() {
    m_nPicture = 0;
    m_aTextLines.clear();
    if (m_nLevel == 1) {
        m_nState = kTutorial;
        m_nBlocksLeft = 5;
        Wait(1000);
        return;
    }
    m_fZoom = 0.0f;
    m_nState = kApproach;
    PlayPlaced(m_nSoundAsiato, 0.0f, 0.0f);
    Wait(2000);
    m_nEnemy = 1;
    m_nDamage = 0;
    // m_nBlocksLeft keeps its 0, so the first enemy opens up after one block.
    RequestRepaint();
}

void CSceenGame::Update() {
    if (m_nState == kApproach) {
        m_fZoom += 0.01f;
        if (m_fZoom > 1.0f) {
            m_fZoom = 1.0f;
        }
        // The steps grow louder as he comes; above 0 the player refuses the
        // value and the steps simply stay at full volume.
        SetSoundVolume(m_nSoundAsiato, 10000 * m_fZoom - 1000);
        ShowSingleLine(std::to_string(m_nEnemy));
        RequestRepaint();
    }
    if (!DeadlinePassed()) {
        return;
    }
    RequestRepaint();
    if (m_nState == kLost || m_nState == kWon) {
        m_bConfirmable = 1;
    }
    switch (m_nState) {
    case kTutorial:
        TutorialStep();
        break;
    case kApproach: {
        StopSounds();
        m_nState = kChallenge;
        int nRoll = Roll(3);
        Play(m_anSoundChallenge[nRoll < 2 ? nRoll : 2]);
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

void CSceenGame::EndAttackWindow() {
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

void CSceenGame::NextAttack() {
    m_bArm = 0;
    int nChoices = m_nEnemy <= kLastUpperOnlyEnemy ? 2 : 4;
    m_nPicture = 1 + std::rand() % nChoices;
    m_nState = kAttack;
    PlayCue(m_nSoundHuri);
    Wait(ReactionWindow(m_nEnemy));
    m_bBlocked = 0;
}

void CSceenGame::NewEnemy() {
    m_bArm = 0;
    m_nPicture = 0;
    m_nBlocksLeft = 1 + Roll(4);
    m_fZoom = 0.0f;
    m_nState = kApproach;
    m_aTextLines.clear();
    PlayPlaced(m_nSoundAsiato, 0.0f, 1.0f);
    int nNumber = m_nEnemy + 1;
    // Numbers are recorded up to 100; hard ends at 50.
    if (nNumber >= 1 && nNumber <= 100) {
        Play(m_anSoundNo[nNumber - 1]);
    }
    Wait(1500);
    m_nEnemy += 1;
    m_bBlocked = 0;
}

void CSceenGame::TakeDamage() {
    m_nDamage += 1;
    Play(m_nSoundSasu2);
    // Felt too, where something can be felt; the sound stays what tells it.
    platform::Feel(platform::Haptic::Cut);
    ShowSingleLine(texts::kDuelDamage + std::to_string(m_nDamage));
    if (m_nDamage >= 1 && m_nDamage <= 5) {
        Play(m_anSoundDamage[m_nDamage - 1]);
    }
}

void CSceenGame::Strike() {
    Play(m_nSoundSasu1);
    m_nPicture = 5;
    m_nState = kDefeated;
    int nRoll = Roll(3);
    Play(m_anSoundDeathCry[nRoll < 2 ? nRoll : 2]);
    Wait(1000);
    bool bLastEnemy = (m_nLevel == 2 && m_nEnemy >= 5) || (m_nLevel == 3 && m_nEnemy >= 10) ||
                      (m_nLevel == 4 && m_nEnemy >= 50);
    if (!bLastEnemy) {
        return;
    }
    Play(m_nSoundWinner);
    m_nState = kWon;
    Wait(3000);
    ShowSingleLine(m_pTexts->duelWon);
}

void CSceenGame::Lose() {
    m_nState = kLost;
    Play(m_nSoundYouLose);
    Play(m_nSoundGameOver);
    Play(m_nSoundSasu2);
    platform::Feel(platform::Haptic::Lost);
    Wait(3000);
    m_nPicture = 6;
}

void CSceenGame::OnKey(unsigned nChar) {
    RequestRepaint();
    if (m_nState == kTutorial && m_bKeyExpected) {
        TutorialKey(nChar);
    }
    if (m_nState == kAttack) {
        HandleAttackKey(nChar);
    }
    if (nChar == VK_ESCAPE) {
        m_nCommand = 0;
    }
    if (IsStrikeKey(nChar) && m_bConfirmable) {
        if (m_nState == kLost) {
            m_nCommand = 1;
        } else if (m_nState == kWon) {
            m_nCommand = 2;
        }
    }
}

void CSceenGame::HandleAttackKey(unsigned nChar) {
    int nDirection = DirectionOfKey(nChar);
    if (nDirection != 0) {
        Block(nDirection);
        return;
    }
    if (!IsStrikeKey(nChar)) {
        return;
    }
    m_bArm = 1;
    if (m_nBlocksLeft >= 0) {
        // Parried: the clash comes from wherever it was last placed.
        Play(m_nSoundKin);
        return;
    }
    Strike();
}

void CSceenGame::Block(int nDirection) {
    if (nDirection != m_nPicture) {
        // A wrong guard is a cut at once, and the attack is over.
        TakeDamage();
        Wait(1000);
        m_nState = kPause;
        return;
    }
    m_nBlocksLeft -= 1;
    PlayClash();
    platform::Feel(platform::Haptic::Block);
    m_bArm = 1;
    m_bBlocked = 1;
    if (m_nBlocksLeft < 0) {
        Play(m_nSoundChance);
        ShowSingleLine(m_pTexts->duelChance);
    }
}

void CSceenGame::RequestRepaint() {
    if (m_pMainWnd) {
        m_pMainWnd->RequestRepaint();
    }
}

void CSceenGame::Play(int nId) {
    if (nId >= 0) {
        m_sound.Play(static_cast<uint32_t>(nId), 0);
    }
}

void CSceenGame::Wait(int nMilliseconds) {
    // Unsigned arithmetic wraps like the tick counter; the deadline is kept
    // as the same 32 bits read as a signed number.
    uint32_t dwDeadline = platform::GetTickCount() + static_cast<uint32_t>(nMilliseconds);
    m_dwDeadline = static_cast<int32_t>(dwDeadline);
}

bool CSceenGame::DeadlinePassed() const {
    // Both read as signed 32-bit numbers: a wait that straddles the counter's
    // sign change (every 49.7 days of uptime) ends at once, one early frame.
    auto now = static_cast<int32_t>(platform::GetTickCount());
    return !(m_dwDeadline > now);
}

int CSceenGame::Roll(int n) {
    // The generator the game was tuned with gave 0 … 32767; the shell seeds it.
    int r = std::rand() % 32768;
    return static_cast<int>(static_cast<double>(n) * r / 32767.0);
}

int CSceenGame::ReactionWindow(int nEnemy) {
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

void CSceenGame::ShowSingleLine(const std::string& strLine) {
    SetTextLines(strLine, "", "");
}
