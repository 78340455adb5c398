#pragma once
#include "ui/dialog_form.h"

#include <string>
#include <vector>

namespace ui {

// Draws a DialogForm as a small window of its own: a frame with the title
// in its caption bar, and the controls in their template positions.
class DialogPainter {
public:
    // One piece of text as it was drawn, in the target's pixels; for the
    // record of what the player was shown.
    struct DrawnText {
        std::string text;
        Rect clip; // the part of the target the text was limited to
        int x = 0;
        int y = 0;
        platform::Color fg = 0;
        platform::Color bg = 0;
    };

    // Where the form's client area goes so that the whole frame stands in
    // the middle of a target of that size.
    static Rect Place(const DialogForm& form, int targetWidth, int targetHeight);
    // The frame around a client area placed there.
    static Rect Frame(const DialogForm& form, const Rect& client);

    // Draws the form with its client area at client.left, client.top.
    void Paint(const DialogForm& form, Canvas& target, const Rect& client);
    const std::vector<DrawnText>& Drawn() const { return m_drawn; }

    // Where the edit's caret stood at the last paint, in the target's pixels;
    // the input method puts its candidates next to it. Empty when no edit
    // has the focus.
    Rect CaretRect() const { return m_caret; }

private:
    void DrawText(Canvas& target, const platform::Font& font, const Rect& clip, int x, int y,
                  const std::string& text, platform::Color fg, platform::Color bg);
    void PaintEdit(const DialogForm& form, const DialogForm::Control& edit, bool focused,
                   Canvas& target, const Rect& client);
    void PaintList(const DialogForm& form, int index, bool focused, Canvas& target,
                   const Rect& client);
    void PaintDrop(const DialogForm& form, int index, Canvas& target, const Rect& client);
    void PaintButton(const DialogForm& form, int index, bool focused, Canvas& target,
                     const Rect& client);
    int TextWidth(const platform::Font& font, const std::string& text) const;

    std::vector<DrawnText> m_drawn;
    Rect m_caret;
    int m_editScroll = 0; // pixels of the edit's text scrolled off to the left
};

} // namespace ui
