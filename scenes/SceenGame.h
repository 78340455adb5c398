#pragma once
#include "audio/SoundPlay.h"
#include "duel/duel.h"
#include "duel/duel_clock.h"
#include "duel/replay.h"
#include "images/Image.h"
#include "resources/game_texts.h"
#include "scenes/BaseSceen.h"
#include "ui/canvas.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CKirikazeJDlg;

// The duel scene (and the tutorial, its level 1): one play at a chosen level,
// or a replay played again for a listener. The main window calls Update
// every 100 ms frame, OnKey on every key release and Paint on every paint,
// and reads m_nCommand after each Update.
// The rules are the duel's own (duel/); this scene gives them their clock in
// SceenGame.cpp, their sounds and keys in SceenGameCues.cpp, the drawing in
// SceenGameDraw.cpp and the tutorial in SceenGameTutorial.cpp.
class CSceenGame : public CBaseSceen, public duel::Duel {
public:
    CSceenGame() = default;
    ~CSceenGame() override = default;
    CSceenGame(const CSceenGame&) = delete;
    CSceenGame& operator=(const CSceenGame&) = delete;

    void Init(CKirikazeJDlg* pMainWnd, std::string strDataDir);
    // Before Init: the duel plays this replay instead of the player's keys.
    void SetReplay(duel::Replay replay);
    // The duel as played so far (the level as the score table numbers it).
    duel::Replay Replay() const;
    // One frame; the main window calls it every 100 ms.
    void Update();
    void OnKey(unsigned nChar);
    void Paint();
    // The main window calls it just before it deletes the scene.
    void StopSounds();

    int m_nCommand = -1; // 0 leave, 1 lost and confirmed, 2 won and confirmed
    CSoundPlay m_sound;
    CKirikazeJDlg* m_pMainWnd = nullptr;
    platform::Font* m_pFont = nullptr; // deleted by the main window
    std::string m_strDataDir;
    // The red lines in the language of the game; set by Init.
    const resources::GameTexts* m_pTexts = &resources::GameTextsFor(text::Language::Japanese);
    CImage m_imgEnemy[7]; // on guard, four attacks, struck down, lost duel
    CImage m_imgArm;
    int m_nSoundCount = 0;

    // The id of each registered sound.
    int m_nSoundAsiato = -1; // footsteps
    int m_nSoundHuri = -1;   // swing
    int m_nSoundKin = -1;    // clash
    int m_nSoundSasu1 = -1;  // the player's cut lands
    int m_nSoundSasu2 = -1;  // the player is cut
    int m_nSoundChance = -1;
    int m_nSoundGameOver = -1;
    int m_nSoundYouLose = -1;
    int m_nSoundWinner = -1;
    int m_anSoundChallenge[3] = {-1, -1, -1};
    int m_anSoundDeathCry[3] = {-1, -1, -1};
    int m_anSoundDamage[5] = {-1, -1, -1, -1, -1};
    int m_anSoundText[19] = {};
    int m_anSoundNo[100] = {};

    // m_nLevel (1 tutorial, 2 easy, 3 normal, 4 hard) is set before Init.
    std::vector<std::string> m_aTextLines;
    int m_bKeyExpected = 0; // tutorial: a practice key is answered now
    float m_fZoom = 0.0f;   // approach of the current enemy, 0 … 1
    int m_nTutorialStep = 0;
    int m_nTutorialPhase = 0;

    void Start();

    // Sounds and keys (SceenGameCues.cpp).
    int RegisterSound(const std::string& strName);
    void PlayPlaced(int nId, float fPan, float fPitch);
    void PlayCue(int nId);
    void PlayClash();
    void SetSoundVolume(int nId, float fVolume);

    // Drawing (SceenGameDraw.cpp).
    void SetTextLines(const std::string& a, const std::string& b, const std::string& c);

    // Tutorial (SceenGameTutorial.cpp): the next script step, on every frame
    // whose deadline has passed in the tutorial state; and a key released
    // while a practice key is expected.
    void TutorialStep();
    void TutorialKey(unsigned nChar);

    // The key map: 1 … 4 for the block keys, 0 for any other key.
    static int DirectionOfKey(unsigned nChar);
    static bool IsStrikeKey(unsigned nChar);

protected:
    // What the rules make heard, seen and felt (SceenGameCues.cpp).
    void OnApproach(bool bLaterEnemy) override;
    void OnApproachEnd(int nChallengeVoice) override;
    void OnSwing() override;
    void OnBlock() override;
    void OnChance() override;
    void OnParried() override;
    void OnCut() override;
    void OnStrike(int nDeathCry) override;
    void OnWon() override;
    void OnLost() override;

private:
    void LoadPictures();
    void RegisterSounds();
    void RequestRepaint();
    void PlayReplayUntil(int now);
    void Play(int nId);
    void ShowSingleLine(const std::string& strLine);

    duel::DuelClock m_clock;
    std::optional<duel::Replay> m_replay; // played instead of the keys
    size_t m_nReplayNext = 0;             // its next input
};
