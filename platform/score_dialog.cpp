#include "platform/score_dialog.h"

#include "platform/services.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {

int RunScoreDialog(ui::DialogForm& form) {
    if (ScoreDialogs* dialogs = GetServices().scoreDialogs) {
        return dialogs->RunModal(form);
    }
    std::fprintf(stderr, "kirikazeJ: no dialog service; \"%s\" not shown\n",
                 form.Template().title.c_str());
    return ui::kDialogCancel;
}

} // namespace platform

namespace platform {

int RunUntilFinished(ui::DialogForm& form, const std::function<bool()>& finished) {
    if (ScoreDialogs* dialogs = GetServices().scoreDialogs) {
        return dialogs->RunUntil(form, finished);
    }
    while (!finished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ui::kDialogOk;
}

} // namespace platform
