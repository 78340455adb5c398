#include "scenes/SceenGame.h"

#include "shell/KirikazeJDlg.h"

namespace {

constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);
constexpr platform::Color kRed = platform::Rgb(255, 0, 0);
constexpr int kTextLeft = 10;
constexpr int kTextTop = 10;
constexpr int kLineSpacing = 50;

} // namespace

void CSceenGame::LoadPictures() {
    static const char* const kEnemy[7] = {
        "\\image\\sam1.ypg", "\\image\\sam2.ypg", "\\image\\sam3.ypg", "\\image\\sam4.ypg",
        "\\image\\sam5.ypg", "\\image\\sam6.ypg", "\\image\\sam7.ypg",
    };
    // A picture that does not load stays empty and draws nothing.
    for (int i = 0; i < 7; ++i) {
        m_imgEnemy[i].Load(m_strDataDir + kEnemy[i]);
    }
    m_imgArm.Load(m_strDataDir + "\\image\\ude.ypg");
}

void CSceenGame::SetTextLines(const std::string& a, const std::string& b, const std::string& c) {
    m_aTextLines.clear();
    for (const std::string* line : {&a, &b, &c}) {
        if (!line->empty()) {
            m_aTextLines.push_back(*line);
        }
    }
}

void CSceenGame::Paint() {
    ui::Canvas* canvas = m_pMainWnd ? m_pMainWnd->GetCanvas() : nullptr;
    if (!canvas) {
        return;
    }
    const int W = canvas->Width();
    const int H = canvas->Height();
    canvas->FillRect(canvas->ClientRect(), kBlack);

    int nPicture = m_nPicture >= 0 && m_nPicture < 7 ? m_nPicture : 0;
    const platform::PixelImage& enemy = m_imgEnemy[nPicture].Bitmap();
    const int pw = enemy.width;
    const int ph = enemy.height;
    const ui::Rect whole{0, 0, pw, ph};
    if (m_nState == kApproach) {
        // He grows from a fifth of his size as he walks in, feet on the ground.
        float s = 2 * (m_fZoom + 0.1f);
        int x = static_cast<int>((W - pw * s) * 0.5);
        int y = static_cast<int>(H - ph * s);
        int w = static_cast<int>(pw * s);
        int h = static_cast<int>(ph * s);
        canvas->Stretch(enemy, whole, {x, y, x + w, y + h});
    } else {
        int x = (W - pw) / 2;
        int y = H - ph;
        canvas->Copy(enemy, x, y);
        if (m_bArm) {
            // The arm is drawn to the enemy picture's size, right over it.
            const platform::PixelImage& arm = m_imgArm.Bitmap();
            canvas->StretchTransparent(arm, {0, 0, arm.width, arm.height}, {x, y, x + pw, y + ph});
        }
    }

    if (!m_pFont) {
        return;
    }
    // A line wider than the window at the scene's size is drawn smaller, so
    // nobody reading the screen loses its end; the margin stays on both sides.
    const int maxWidth = W - 2 * kTextLeft;
    for (size_t i = 0; i < m_aTextLines.size(); ++i) {
        int y = kTextTop + kLineSpacing * static_cast<int>(i);
        const std::string& line = m_aTextLines[i];
        canvas->TextOut(kTextLeft, y, line, m_pFont->Fitting(line, maxWidth), kRed, kBlack);
    }
}
