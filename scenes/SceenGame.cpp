#include "scenes/SceenGame.h"

#include "platform/clock.h"
#include "platform/keys.h"
#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

#include <cstdlib>
#include <utility>

namespace {

constexpr int kFontTenths = 300;

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

void CSceenGame::SetReplay(duel::Replay replay) {
    m_nLevel = replay.level + 1;
    m_clock.FixFirstFrame(replay.firstFrame);
    m_replay = std::move(replay);
    m_nReplayNext = 0;
}

duel::Replay CSceenGame::Replay() const {
    return {m_nLevel - 1, Seed(), m_clock.FirstFrame(), Presses()};
}

void CSceenGame::Start() {
    m_nPicture = 0;
    m_aTextLines.clear();
    m_clock.Begin(platform::GetTickCount());
    if (m_nLevel == 1) {
        m_nState = kTutorial;
        m_nBlocksLeft = 5;
        Wait(1000);
        return;
    }
    // The runtime's generator is seeded once at start-up; each duel takes its
    // own dice from it, and a replay brings the dice it was played with.
    const uint32_t seed =
        m_replay ? m_replay->seed
                 : (static_cast<uint32_t>(std::rand()) << 16) ^ static_cast<uint32_t>(std::rand());
    Begin(seed);
    RequestRepaint();
}

void CSceenGame::Update() {
    const int now = m_clock.Frame(platform::GetTickCount());
    PlayReplayUntil(now);
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
    if (!Due(now)) {
        return;
    }
    RequestRepaint();
    if (m_nState == kTutorial) {
        SetNow(now);
        TutorialStep();
        return;
    }
    Frame(now);
}

void CSceenGame::PlayReplayUntil(int now) {
    // A replayed input is heard on the frame after it was made: the window
    // has no finer clock. The rules take it at its own time all the same.
    if (m_replay) {
        m_nReplayNext = m_replay->TakeBefore(*this, m_nReplayNext, now);
    }
}

void CSceenGame::OnKey(unsigned nChar) {
    RequestRepaint();
    const int now = m_clock.Key(platform::GetTickCount());
    if (m_nState == kTutorial && m_bKeyExpected) {
        TutorialKey(nChar);
    }
    const int nDirection = DirectionOfKey(nChar);
    if (m_nState == kAttack && !m_replay && (nDirection != 0 || IsStrikeKey(nChar))) {
        Take(nDirection != 0 ? static_cast<duel::Input>(nDirection) : duel::Input::Strike, now);
    }
    if (nChar == VK_ESCAPE) {
        m_nCommand = 0;
    }
    if (IsStrikeKey(nChar) && m_bConfirmable) {
        if (m_nState == kLost) {
            m_nCommand = 1;
        } else if (m_nState == kWon) {
            // A replay listened to is over; only a duel played is a score.
            m_nCommand = m_replay ? 0 : 2;
        }
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

void CSceenGame::ShowSingleLine(const std::string& strLine) {
    SetTextLines(strLine, "", "");
}
