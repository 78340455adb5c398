#pragma once
#include "ui/dialog_form.h"

#include <functional>

namespace ui {

// Runs the score dialog (a DialogForm) modally over the main window. While it
// is open the main window keeps its frame ticks (at most one waiting) and its
// repaints, so the scene behind goes on moving, but it gets no keys: every
// key, typed text and click belongs to the dialog.
class ScoreDialogs {
public:
    virtual ~ScoreDialogs() = default;
    // Returns the id the dialog ended with (kDialogOk, kDialogCancel, ...).
    virtual int RunModal(DialogForm& form) = 0;
    // The same for a box that stands while work goes on elsewhere: it ends
    // with kDialogOk as soon as finished() holds (asked at least every frame
    // tick), or with the button the player chose (Escape: kDialogCancel).
    virtual int RunUntil(DialogForm& form, const std::function<bool()>& finished) = 0;
};

// Through the installed backend; without one the dialog cannot be shown and
// counts as cancelled (one line on stderr says so).
int RunScoreDialog(DialogForm& form);
// Without a backend nobody can cancel: the work is simply waited for.
int RunUntilFinished(DialogForm& form, const std::function<bool()>& finished);

} // namespace ui
