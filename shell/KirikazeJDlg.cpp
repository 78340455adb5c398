#include "shell/KirikazeJDlg.h"

#include "online/DlgSendNet.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/speech.h"
#include "resources/main_window.h"
#include "resources/texts.h"
#include "scenes/SceenGame.h"
#include "scenes/SceenMenu.h"
#include "shell/KirikazeJApp.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned kFrameTimer = 1;
constexpr uint32_t kFramePeriodMs = 100;

// What the minimised window's icon is drawn on: the dialog's face colour.
constexpr platform::Color kDialogFace = platform::Rgb(0xF0, 0xF0, 0xF0);

enum { kSceneNone = 0, kSceneMenu = 1, kSceneGame = 2 };

// Menu commands: the index of the chosen item.
enum {
    kMenuHardest = 3, // 0 ... 3: tutorial and the three levels
    kMenuScoreTable = 4,
    kMenuUpdater = 5,
    kMenuEnd = 6,
};

// Duel command: won and confirmed.
constexpr int kGameWon = 2;

} // namespace

CKirikazeJDlg::CKirikazeJDlg() : m_hIcon(resources::MakeIcon()) {}

CKirikazeJDlg::~CKirikazeJDlg() {
    // A window dropped without its run ending still saves and releases.
    if (m_pWnd) {
        m_pWnd->Destroy();
    }
}

template <class Call> void CKirikazeJDlg::InScene(Call call) {
    ++m_nSceneCalls;
    call();
    --m_nSceneCalls;
}

int CKirikazeJDlg::DoModal() {
    if (!m_pWnd && !Create()) {
        return -1;
    }
    return m_pWnd->RunModal();
}

bool CKirikazeJDlg::Create() {
    if (m_pWnd) {
        return true;
    }
    // The caption is the first text the player gets, so the language is
    // settled before the window opens.
    m_language = text::ChooseLanguage(m_reg.LanguageSetting(), platform::ReadLocaleVariables());
    platform::SetSpeechLanguage(Texts().languageCode);
    // The icon goes with the window from the start, big and small alike.
    const ui::WindowSpec layout{resources::kClientWidth, resources::kClientHeight, Texts().caption,
                                m_hIcon};
    m_pWnd = ui::CreateMainWindow(layout, *this);
    if (!m_pWnd) {
        return false;
    }
    OnInitDialog();
    return true;
}

ui::Canvas* CKirikazeJDlg::GetCanvas() const {
    return m_pWnd ? &m_pWnd->GetCanvas() : nullptr;
}

ui::Rect CKirikazeJDlg::GetClientRect() const {
    return m_pWnd ? m_pWnd->GetCanvas().ClientRect() : ui::Rect{};
}

void CKirikazeJDlg::RequestRepaint() {
    if (m_pWnd) {
        m_pWnd->RequestRepaint();
    }
}

bool CKirikazeJDlg::OnInitDialog() {
    std::srand(platform::GetTickCount());
    m_pWnd->SetTimer(kFrameTimer, kFramePeriodMs);
    m_strDataDir = GetCurrentDir();
    ReportMissingData();
    m_reg.Load();
    ChangeScene(kSceneMenu, 0);
    if (!m_strReplayFile.empty()) {
        PlayReplayFile();
    }
    return true;
}

void CKirikazeJDlg::PlayReplayFile() {
    auto text = platform::ReadSmallFile(m_strReplayFile, duel::Replay::kMaxBytes);
    auto replay = text ? duel::Replay::Parse(*text) : std::nullopt;
    if (!replay) {
        std::fprintf(stderr, "kirikazeJ: %s is not a replay this game can play\n",
                     m_strReplayFile.c_str());
        ShowAppMessage(Texts().replayUnplayable);
        return;
    }
    ReleaseScenes();
    m_pSceenGame = new CSceenGame();
    m_pSceenGame->SetReplay(std::move(*replay));
    InScene([&] { m_pSceenGame->Init(this, m_strDataDir + Texts().dataSet); });
    m_nScene = kSceneGame;
    RequestRepaint();
}

std::string CKirikazeJDlg::GetCurrentDir() {
    return platform::GetCurrentDir();
}

void CKirikazeJDlg::ReportMissingData() const {
    // The game still opens (silent), but whoever started it should know why.
    if (m_strDataDir.empty()) {
        std::fprintf(stderr, "kirikazeJ: cannot read the working folder; no sounds or pictures\n");
    } else if (!platform::DirectoryExists(m_strDataDir + "\\sound")) {
        std::fprintf(stderr,
                     "kirikazeJ: no sound folder in %s; start the game in its data folder\n",
                     m_strDataDir.c_str());
    } else if (!platform::DirectoryExists(m_strDataDir + Texts().dataSet + "\\sound")) {
        // A data pack made before the English edition has no English voices.
        std::fprintf(stderr, "kirikazeJ: no English voices in %s; play in Japanese (lang=ja)\n",
                     m_strDataDir.c_str());
    }
}

void CKirikazeJDlg::OnPaint() {
    if (m_pWnd->IsMinimized()) {
        PaintIcon();
        return;
    }
    if (m_nScene == kSceneMenu && m_pSceenMenu) {
        InScene([&] { m_pSceenMenu->Paint(); });
    }
    if (m_nScene == kSceneGame && m_pSceenGame) {
        InScene([&] { m_pSceenGame->Paint(); });
    }
}

void CKirikazeJDlg::PaintIcon() {
    ui::Canvas& canvas = m_pWnd->GetCanvas();
    canvas.FillRect(canvas.ClientRect(), kDialogFace);
    const int x = (canvas.Width() - resources::kIconSize + 1) / 2;
    const int y = (canvas.Height() - resources::kIconSize + 1) / 2;
    canvas.Copy(m_hIcon, x, y);
}

void CKirikazeJDlg::OnTimer(unsigned nIDEvent) {
    if (nIDEvent != kFrameTimer) {
        return;
    }
    // A tick inside a scene's own handler (a message box it opened keeps the
    // ticks coming) must not touch that scene: it is in the middle of work.
    if (m_nSceneCalls > 0) {
        return;
    }
    // A tick inside our own frame (the score dialog's loop) keeps the duel
    // going, but only the outer frame acts on commands.
    if (m_bInFrame) {
        if (m_nScene == kSceneGame && m_pSceenGame) {
            InScene([&] { m_pSceenGame->Update(); });
        }
        return;
    }
    m_bInFrame = true;
    Frame();
    m_bInFrame = false;
}

void CKirikazeJDlg::Frame() {
    if (m_nScene == kSceneMenu && m_pSceenMenu) {
        const int c = m_pSceenMenu->m_nCommand;
        m_pSceenMenu->m_nCommand = -1;
        if (c >= 0 && c <= kMenuHardest) {
            ChangeScene(kSceneGame, c);
            return;
        }
        if (c == kMenuScoreTable) {
            OpenScoreTable();
            return;
        }
        if (c == kMenuUpdater) {
            RunUpdater(texts::kUpdaterValue, texts::kUpdaterValue, texts::kUpdaterValue);
            return;
        }
        if (c == kMenuEnd) {
            EndDialog(IDOK);
            return;
        }
    }
    if (m_nScene == kSceneGame && m_pSceenGame) {
        InScene([&] { m_pSceenGame->Update(); });
        const int c = m_pSceenGame->m_nCommand;
        m_pSceenGame->m_nCommand = -1;
        if (c == kGameWon) {
            OfferScoreSubmission();
            ChangeScene(kSceneMenu, c);
            return;
        }
        if (c >= 0) {
            ChangeScene(kSceneMenu, c);
        }
    }
}

void CKirikazeJDlg::OfferScoreSubmission() {
    CDlgSendNet dlg(Texts());
    dlg.m_strArea = m_reg.m_strArea;
    dlg.m_strName = m_reg.m_strName;
    if (dlg.DoModal() != CDlgSendNet::IDOK) {
        return;
    }
    // Remembered even if the sending fails: the player typed them.
    m_reg.m_strArea = dlg.m_strArea;
    m_reg.m_strName = dlg.m_strName;
    ServeScoresLocally();
    const std::string text = SendScore(m_pSceenGame->m_nLevel - 1, m_pSceenGame->m_nDamage,
                                       m_pSceenGame->Replay().Text());
    // Cancelled while it waited: nothing to show, and certainly no success.
    if (!text.empty()) {
        ShowAppMessage(text);
    }
}

void CKirikazeJDlg::ShowAppMessage(const std::string& text) {
    platform::Speak(text, true);
    const CKirikazeJApp* app = CKirikazeJApp::Current();
    platform::ShowMessageBox(text, app ? app->m_strAppName : std::string(), true);
}

void CKirikazeJDlg::OpenScoreTable() {
    ServeScoresLocally();
    platform::OpenUrl(ScoreTableAddress());
}

void CKirikazeJDlg::ServeScoresLocally() {
    // Out of the box the scores are kept on this machine: a player who never
    // set up a server still gets a score table.
    if (m_reg.m_strServer == texts::kDefaultScoreServer) {
        platform::ServeLocally(texts::kLocalScoreServer, texts::kDefaultScorePort);
    }
}

std::string CKirikazeJDlg::ScoreTableAddress() const {
    return m_reg.m_strServer + texts::kScoreTablePath;
}

void CKirikazeJDlg::EndDialog(int result) {
    m_pWnd->EndModal(result);
}

void CKirikazeJDlg::OnKeyUp(unsigned nChar) {
    if (m_nScene == kSceneMenu && m_pSceenMenu) {
        InScene([&] { m_pSceenMenu->OnKey(static_cast<int>(nChar)); });
    }
    if (m_nScene == kSceneGame && m_pSceenGame) {
        InScene([&] { m_pSceenGame->OnKey(nChar); });
    }
}

bool CKirikazeJDlg::ChangeScene(int nScene, int nArg) {
    ReleaseScenes();
    if (nScene == kSceneMenu) {
        // The menu always starts on its first item; nArg is not used.
        m_pSceenMenu = new CSceenMenu();
        InScene([&] { m_pSceenMenu->Init(this, m_strDataDir + Texts().dataSet); });
    }
    if (nScene == kSceneGame) {
        m_pSceenGame = new CSceenGame();
        m_pSceenGame->m_nLevel = nArg + 1;
        InScene([&] { m_pSceenGame->Init(this, m_strDataDir + Texts().dataSet); });
    }
    m_nScene = nScene;
    // The new scene shows at once, not only at its first key.
    RequestRepaint();
    return true;
}

void CKirikazeJDlg::ReleaseScenes() {
    m_nScene = kSceneNone;
    if (m_pSceenMenu) {
        delete m_pSceenMenu->m_pFont;
        m_pSceenMenu->m_pFont = nullptr;
        delete m_pSceenMenu;
        m_pSceenMenu = nullptr;
    }
    if (m_pSceenGame) {
        InScene([&] { m_pSceenGame->StopSounds(); });
        delete m_pSceenGame->m_pFont;
        m_pSceenGame->m_pFont = nullptr;
        delete m_pSceenGame;
        m_pSceenGame = nullptr;
    }
}

bool CKirikazeJDlg::RunUpdater(std::string strFile, std::string strServerPath,
                               std::string strAppTitle) {
    const std::string exe = m_strDataDir + texts::kUpdaterFile;
    const std::string params = texts::kUpdaterFileArg + strFile + texts::kUpdaterServerPathArg +
                               strServerPath + texts::kUpdaterAppTitleArg + strAppTitle;
    if (!platform::FileExists(exe)) {
        // Quitting here would look like the update had started; a player who
        // cannot see the screen would be left with a game that just vanished.
        ShowAppMessage(Texts().updaterMissing);
        return false;
    }
    platform::StartProgram(exe, params);
    m_pWnd->PostQuit(0);
    return true;
}

bool CKirikazeJDlg::DestroyWindow() {
    if (m_bDestroyed) {
        return true;
    }
    m_bDestroyed = true;
    m_reg.Save();
    ReleaseScenes();
    platform::StopServing();
    return true;
}

void CKirikazeJDlg::OnWindowTick(int timerId) {
    OnTimer(static_cast<unsigned>(timerId));
}

void CKirikazeJDlg::OnWindowKeyUp(int vk) {
    // No dialog manager stands between the window and its keys, so Escape and
    // Enter are key releases like any other: neither ever ends the window.
    // Keys never re-enter a scene that is still busy, nor reach the window
    // while its own frame has a modal window open.
    if (m_nSceneCalls > 0 || m_bInFrame) {
        return;
    }
    OnKeyUp(static_cast<unsigned>(vk));
}

void CKirikazeJDlg::OnWindowPaint() {
    if (m_nSceneCalls > 0) {
        // Drawn as soon as the busy scene is done.
        m_pWnd->RequestRepaint();
        return;
    }
    OnPaint();
}

void CKirikazeJDlg::OnWindowDestroy() {
    DestroyWindow();
}
