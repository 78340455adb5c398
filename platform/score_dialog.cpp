#include "platform/score_dialog.h"

#include "platform/services.h"

#include <cstdio>

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
