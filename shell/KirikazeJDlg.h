#pragma once
#include "platform/pixels.h"
#include "resources/game_texts.h"
#include "shell/KirikazeReg.h"
#include "ui/canvas.h"
#include "ui/window.h"

#include <memory>
#include <string>

class CSceenMenu;
class CSceenGame;

// The main window: owns the one current scene, drives it with the 100 ms frame
// tick, routes key releases to it and carries out what it asks for.
class CKirikazeJDlg : public ui::WindowEvents {
public:
    enum { IDOK = 1 };

    CKirikazeJDlg();
    ~CKirikazeJDlg() override;
    CKirikazeJDlg(const CKirikazeJDlg&) = delete;
    CKirikazeJDlg& operator=(const CKirikazeJDlg&) = delete;

    // Opens the window and starts the game in it, unless already done; then
    // runs until the game ends. -1 when no window could be opened.
    int DoModal();
    // Opens the window and runs the start-up; false when no window opened.
    bool Create();

    // What the scenes use of the window.
    ui::Window* GetPlatformWindow() const { return m_pWnd.get(); }
    ui::Canvas* GetCanvas() const;
    ui::Rect GetClientRect() const;
    // The scene wants to be drawn again soon (requests before it make one).
    void RequestRepaint();
    // What the player reads and hears, in the language chosen at start-up.
    const resources::GameTexts& Texts() const { return resources::GameTextsFor(m_language); }

    // Window messages.
    bool OnInitDialog();
    void OnPaint();
    const platform::PixelImage& OnQueryDragIcon() const { return m_hIcon; }
    void OnTimer(unsigned nIDEvent);
    void OnKeyUp(unsigned nChar);
    void OnOK() {} // Enter never closes the window
    bool DestroyWindow();

    bool ChangeScene(int nScene, int nArg);
    void ReleaseScenes();
    // Starts the updater beside the data and quits; false (and the game stays)
    // when there is none.
    bool RunUpdater(std::string strFile, std::string strServerPath, std::string strAppTitle);
    std::string GetCurrentDir();
    // The online score table on the configured score server.
    std::string ScoreTableAddress() const;
    // Sends a won duel to the score server with the remembered area and
    // name, showing 「送信中…」 meanwhile; returns the server's message to show,
    // "Err" when there was none, empty when the player cancelled the wait.
    std::string SendScore(int nLevel, int nScore, const std::string& strReplay);
    // A replay file to play at start-up instead of opening on the menu.
    std::string m_strReplayFile;

    int m_nScene = 0; // 0 none (only inside a scene change), 1 menu, 2 duel
    CSceenMenu* m_pSceenMenu = nullptr;
    CSceenGame* m_pSceenGame = nullptr;
    CKirikazeReg m_reg;
    std::string m_strDataDir;
    platform::PixelImage m_hIcon;
    text::Language m_language = text::Language::Japanese;

private:
    // ui::WindowEvents
    void OnWindowTick(int timerId) override;
    void OnWindowKeyUp(int vk) override;
    void OnWindowPaint() override;
    void OnWindowDestroy() override;

    void Frame();
    void EndDialog(int result);
    void OpenScoreTable();
    // Starts our own score server where the default address has none.
    void ServeScoresLocally();
    // A won and confirmed duel: where the score is offered for submission.
    void OfferScoreSubmission();
    void ReportMissingData() const;
    // Plays m_strReplayFile by ear; the menu follows, as after any duel.
    void PlayReplayFile();
    // A message box of ours, captioned with the application name, also spoken.
    void ShowAppMessage(const std::string& text);
    void PaintIcon();
    // Every call into a scene goes through here, so that a tick arriving
    // inside it (a message box's own loop) knows to leave the scene alone.
    template <class Call> void InScene(Call call);

    std::unique_ptr<ui::Window> m_pWnd;
    int m_nSceneCalls = 0; // scene handlers running right now
    bool m_bInFrame = false;
    bool m_bDestroyed = false;
};
