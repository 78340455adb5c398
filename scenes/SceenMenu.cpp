#include "scenes/SceenMenu.h"

#include "platform/keys.h"
#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

namespace {

constexpr int kFontTenths = 400;
constexpr int kLeft = 10;
constexpr int kTop = 10;
constexpr int kLineStep = 80;

constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);
constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);
constexpr platform::Color kYellow = platform::Rgb(255, 255, 0);

} // namespace

void CSceenMenu::Init(CKirikazeJDlg* pMainWnd, std::string strDataDir) {
    for (const char* item : texts::kMenuItems) {
        m_arrItem.emplace_back(item);
    }
    m_pFont = new platform::Font(kFontTenths, texts::kFontFace);
    m_nSelect = 0;
    m_pMainWnd = pMainWnd;
    m_strDataDir = std::move(strDataDir);
}

void CSceenMenu::OnKey(int nChar) {
    if (nChar == VK_UP) {
        m_nSelect -= 1;
    } else if (nChar == VK_DOWN) {
        m_nSelect += 1;
    }
    // No wrap-around: the ends hold, so the player always knows where he is.
    const int count = static_cast<int>(m_arrItem.size());
    if (m_nSelect >= count) {
        m_nSelect = count - 1;
    }
    if (m_nSelect < 0) {
        m_nSelect = 0;
    }
    if (nChar == VK_SPACE || nChar == VK_RETURN) {
        m_nCommand = m_nSelect;
    }
    if (m_pMainWnd) {
        m_pMainWnd->RequestRepaint();
    }
}

void CSceenMenu::Paint() {
    platform::Canvas* canvas = m_pMainWnd ? m_pMainWnd->GetCanvas() : nullptr;
    if (!canvas) {
        return;
    }
    canvas->FillRect(canvas->ClientRect(), kBlack);
    if (!m_pFont) {
        return;
    }
    for (int i = 0; i < static_cast<int>(m_arrItem.size()); ++i) {
        const platform::Color color = i == m_nSelect ? kYellow : kWhite;
        canvas->TextOut(kLeft, kTop + kLineStep * i, m_arrItem[i], *m_pFont, color, kBlack);
    }
}
