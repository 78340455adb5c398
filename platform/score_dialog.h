#pragma once
#include "ui/dialog_form.h"

namespace platform {

// Runs the score dialog (a DialogForm) modally over the main window. While it
// is open the main window keeps its frame ticks (at most one waiting) and its
// repaints, so the scene behind goes on moving, but it gets no keys: every
// key, typed text and click belongs to the dialog.
class ScoreDialogs {
public:
    virtual ~ScoreDialogs() = default;
    // Returns the id the dialog ended with (kDialogOk, kDialogCancel, ...).
    virtual int RunModal(ui::DialogForm& form) = 0;
};

// Through the installed backend; without one the dialog cannot be shown and
// counts as cancelled (one line on stderr says so).
int RunScoreDialog(ui::DialogForm& form);

} // namespace platform
