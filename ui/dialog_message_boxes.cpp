#include "ui/dialog_message_boxes.h"

#include "platform/font.h"
#include "platform/speech.h"
#include "text/utf8.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace ui {

namespace {

using Kind = DialogControl::Kind;

constexpr int kFontTenths = 90;
constexpr char kFontFace[] = "ＭＳ ＵＩ ゴシック";
constexpr int kMargin = 16;
constexpr int kMinWidth = 220;
// Inside the game's 732 pixel wide window, whatever the text.
constexpr int kMaxWidth = 700;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

// The text's lines as they fit the width: a line too wide is broken at its
// last blank, or before the character that did not fit where it has none
// (Japanese).
std::vector<std::string> Lines(const std::string& text, const platform::Font& font, int width) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::string part;
        for (size_t i = 0; i < line.size();) {
            const size_t next = text::NextChar(line, i);
            const std::string character = line.substr(i, next - i);
            i = next;
            if (part.empty() || font.Render(part + character, 0, 0).width <= width) {
                part += character;
                continue;
            }
            const size_t blank = part.rfind(' ');
            if (blank != std::string::npos && blank > 0) {
                lines.push_back(part.substr(0, blank));
                part = part.substr(blank + 1) + character;
            } else {
                lines.push_back(part);
                part = character;
            }
        }
        lines.push_back(part);
    }
    return lines;
}

} // namespace

DialogTemplate DialogMessageBoxes::Template(const std::string& text, const std::string& caption) {
    DialogTemplate t;
    t.title = caption;
    t.fontFace = kFontFace;
    t.fontTenthsOfPoint = kFontTenths;
    // The button is said by its name alone, which is the same in every language.
    t.words.buttonRole = "";
    const platform::Font font(kFontTenths, kFontFace);
    const int row = std::max(font.LineHeight(), font.PixelHeight()) + 4;
    int width = kMinWidth;
    for (const std::string& line : Lines(text, font, kMaxWidth - 2 * kMargin)) {
        DialogControl label;
        label.kind = Kind::Label;
        label.text = line;
        label.spoken = true;
        width = std::max(width, font.Render(line, 0, 0).width + 2 * kMargin);
        t.controls.push_back(label);
    }
    t.width = std::min(width, kMaxWidth);
    int top = 12;
    for (DialogControl& label : t.controls) {
        label.rect = {kMargin, top, t.width - kMargin, top + row};
        top += row;
    }
    DialogControl ok;
    ok.kind = Kind::Button;
    ok.id = kDialogOk;
    ok.text = "OK";
    ok.tabStop = true;
    ok.defaultButton = true;
    const int left = (t.width - kButtonWidth) / 2;
    ok.rect = {left, top + 10, left + kButtonWidth, top + 10 + kButtonHeight};
    t.controls.push_back(ok);
    t.height = ok.rect.bottom + 12;
    return t;
}

void DialogMessageBoxes::Show(const std::string& text, const std::string& caption, bool owned) {
    DialogForm form(Template(text, caption));
    m_dialogs.RunModal(form);
    // Never opened: there was no window to draw it in. Heard all the same.
    if (!form.Ended()) {
        platform::Speak(text, true);
        m_fallback.Show(text, caption, owned);
    }
}

} // namespace ui
