#include "scenes/SceenMenu.h"

#include "platform/keys.h"
#include "resources/texts.h"
#include "shell/KirikazeJDlg.h"

#include <iterator>

namespace {

constexpr int kFontTenths = 400;
constexpr int kLeft = 10;
constexpr int kTop = 10;
constexpr int kLineStep = 80;

constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);
constexpr platform::Color kWhite = platform::Rgb(255, 255, 255);
constexpr platform::Color kYellow = platform::Rgb(255, 255, 0);

// The menu's sounds; a sound's id is its place here. Ids 1 ... 7 are the
// item voices (item i speaks with id i + 1); id 0 is registered but never
// played.
constexpr const char* kSoundFiles[] = {
    "\\sound\\menu\\Title.ywv",  "\\sound\\menu\\tutorial.ywv", "\\sound\\menu\\easy.ywv",
    "\\sound\\menu\\normal.ywv", "\\sound\\menu\\hard.ywv",     "\\sound\\menu\\NetRecord.ywv",
    "\\sound\\menu\\update.ywv", "\\sound\\menu\\end.ywv",      "\\sound\\opning.ywv",
    "\\sound\\maintitle.ywv",
};
constexpr uint32_t kMusic = 8;
constexpr uint32_t kTitle = 9;

} // namespace

void CSceenMenu::Init(CKirikazeJDlg* pMainWnd, std::string strDataDir) {
    const resources::GameTexts& words =
        pMainWnd ? pMainWnd->Texts() : resources::GameTextsFor(text::Language::Japanese);
    for (int i = 0; i < texts::kMenuItemCount; ++i) {
        m_arrItem.emplace_back(words.menuItems[i]);
    }
    m_pFont = new platform::Font(kFontTenths, texts::kFontFace);
    m_nSelect = 0;
    m_pMainWnd = pMainWnd;
    m_sound.CreateDevice(pMainWnd ? pMainWnd->GetPlatformWindow() : nullptr);
    m_strDataDir = std::move(strDataDir);
    for (uint32_t id = 0; id < std::size(kSoundFiles); ++id) {
        m_sound.AddSound(m_strDataDir + kSoundFiles[id], id);
    }
    // Both at once: the title is spoken over the music, which plays on until
    // the menu goes.
    m_sound.Play(kTitle, 0);
    m_sound.Play(kMusic, platform::kPlayLooping);
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
    // Every key speaks where the player now is, even one that moved nothing:
    // any key is a way to ask "where am I?".
    m_sound.Play(static_cast<uint32_t>(m_nSelect) + 1, 0);
    if (m_pMainWnd) {
        m_pMainWnd->RequestRepaint();
    }
}

void CSceenMenu::Paint() {
    ui::Canvas* canvas = m_pMainWnd ? m_pMainWnd->GetCanvas() : nullptr;
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
