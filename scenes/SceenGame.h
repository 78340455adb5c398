#pragma once
#include "audio/SoundPlay.h"
#include "images/Image.h"
#include "resources/game_texts.h"
#include "scenes/BaseSceen.h"
#include "ui/canvas.h"

#include <cstdint>
#include <string>
#include <vector>

class CKirikazeJDlg;

// The duel scene (and the tutorial, its level 1): one play at a chosen level.
// The main window calls Update every 100 ms frame, OnKey on every key release
// and Paint on every paint, and reads m_nCommand after each Update.
// The rules live in SceenGame.cpp, the sounds and keys in SceenGameCues.cpp,
// the drawing in SceenGameDraw.cpp and the tutorial in SceenGameTutorial.cpp.
class CSceenGame : public CBaseSceen {
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

    CSceenGame() = default;
    ~CSceenGame() override = default;
    CSceenGame(const CSceenGame&) = delete;
    CSceenGame& operator=(const CSceenGame&) = delete;

    void Init(CKirikazeJDlg* pMainWnd, std::string strDataDir);
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
    // The enemy picture shown; during an attack also its direction 1 … 4.
    int m_nPicture = 0;
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

    int m_nLevel = 0;      // 1 tutorial, 2 easy, 3 normal, 4 hard; set before Init
    int m_dwDeadline = 0;  // tick count at which the current wait ends
    int m_nBlocksLeft = 0; // the chance is open while this is negative
    int m_nEnemy = 0;      // the current enemy, counting from 1
    int m_nDamage = 0;     // mistakes so far: the score
    std::vector<std::string> m_aTextLines;
    uint8_t m_bConfirmable = 0; // the end of the duel may be confirmed now
    int m_bKeyExpected = 0;     // tutorial: a practice key is answered now
    float m_fZoom = 0.0f;       // approach of the current enemy, 0 … 1
    uint8_t m_bArm = 0;         // draw the player's arm over the enemy
    uint8_t m_bBlocked = 0;     // this attack was blocked at least once
    int m_nTutorialStep = 0;
    int m_nTutorialPhase = 0;
    int m_nState = 0;

    // Rules (SceenGame.cpp).
    void Start();
    void NextAttack();
    void NewEnemy();
    void TakeDamage();
    void Strike();
    void Lose();

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

private:
    void LoadPictures();
    void RegisterSounds();
    void RequestRepaint();
    void Wait(int nMilliseconds);
    bool DeadlinePassed() const;
    void EndAttackWindow();
    void HandleAttackKey(unsigned nChar);
    void Block(int nDirection);
    void Play(int nId);
    void ShowSingleLine(const std::string& strLine);

    static int Roll(int n);
    static int ReactionWindow(int nEnemy);
};
