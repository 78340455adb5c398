#include "scenes/SceenGame.h"

#include "platform/keys.h"
#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

namespace {
constexpr int kFontTenths = 300;
constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);
} // namespace

void CSceenGame::Init(CKirikazeJDlg* pMainWnd, std::string strDataDir) {
    m_pMainWnd = pMainWnd;
    m_strDataDir = std::move(strDataDir);
    m_pFont = new platform::Font(kFontTenths, texts::kFontFace);
}

void CSceenGame::Update() {
    // The duel's rules run here, frame by frame.
}

void CSceenGame::OnKey(unsigned nChar) {
    // Escape leaves the duel in any state, without a score.
    if (nChar == VK_ESCAPE) {
        m_nCommand = 0;
    }
}

void CSceenGame::Paint() {
    platform::Canvas* canvas = m_pMainWnd ? m_pMainWnd->GetCanvas() : nullptr;
    if (!canvas) {
        return;
    }
    canvas->FillRect(canvas->ClientRect(), kBlack);
}

void CSceenGame::StopSounds() {
    // The duel's sounds are stopped here before the scene goes.
}
