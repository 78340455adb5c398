#pragma once
#include "platform/message_box.h"
#include "ui/score_dialog.h"

namespace ui {

// The game's message boxes as dialogs of our own widgets over the game
// window, like its score dialog: they need no fonts from the X server, and a
// player who cannot see hears them. The caption, the text and the OK button
// are said as the box opens; Enter or Space (on OK) closes it. With no game
// window to draw in, the text is said and the box goes to the fallback.
class DialogMessageBoxes : public platform::MessageBoxes {
public:
    DialogMessageBoxes(ScoreDialogs& dialogs, platform::MessageBoxes& fallback)
        : m_dialogs(dialogs), m_fallback(fallback) {}
    void Show(const std::string& text, const std::string& caption, bool owned) override;

    static DialogTemplate Template(const std::string& text, const std::string& caption);

private:
    ScoreDialogs& m_dialogs;
    platform::MessageBoxes& m_fallback;
};

} // namespace ui
