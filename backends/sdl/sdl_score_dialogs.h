#pragma once
#include "ui/score_dialog.h"

namespace platform::sdl {

class SdlWindowSystem;

// The score dialog on screen: our own widgets drawn over the middle of the
// main window (not a window of its own, so it can never get lost behind the
// game or open on another screen). Typed text comes through SDL's text input,
// so Japanese names can be written with the desktop's input method, whose
// composition is shown in the name field.
class SdlScoreDialogs : public ui::ScoreDialogs {
public:
    explicit SdlScoreDialogs(SdlWindowSystem& windows) : m_windows(windows) {}
    int RunModal(ui::DialogForm& form) override;
    int RunUntil(ui::DialogForm& form, const std::function<bool()>& finished) override;

private:
    int Run(ui::DialogForm& form, const std::function<bool()>& finished);

    SdlWindowSystem& m_windows;
};

} // namespace platform::sdl
