#include "ui/score_dialog.h"

#include "ui/window_services.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace ui {

int RunScoreDialog(DialogForm& form) {
    if (ScoreDialogs* dialogs = GetWindowServices().scoreDialogs) {
        return dialogs->RunModal(form);
    }
    std::fprintf(stderr, "kirikazeJ: no dialog service; \"%s\" not shown\n",
                 form.Template().title.c_str());
    return kDialogCancel;
}

int RunUntilFinished(DialogForm& form, const std::function<bool()>& finished) {
    if (ScoreDialogs* dialogs = GetWindowServices().scoreDialogs) {
        return dialogs->RunUntil(form, finished);
    }
    while (!finished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return kDialogOk;
}

} // namespace ui
