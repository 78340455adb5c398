#include "platform/message_box.h"

#include "platform/services.h"

#include <cstdio>

namespace platform {

void ShowMessageBox(const std::string& text, const std::string& caption, bool owned) {
    if (MessageBoxes* boxes = GetServices().messageBoxes) {
        boxes->Show(text, caption, owned);
        return;
    }
    std::fprintf(stderr, "kirikazeJ: %s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ",
                 text.c_str());
}

} // namespace platform
