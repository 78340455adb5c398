#include "ui/window.h"

#include "ui/window_services.h"

#include <cstdio>

namespace ui {

std::unique_ptr<Window> CreateMainWindow(const WindowSpec& layout, WindowEvents& events) {
    if (WindowSystem* windows = GetWindowServices().windows) {
        return windows->CreateMainWindow(layout, events);
    }
    std::fprintf(stderr, "kirikazeJ: no window system; nothing to show\n");
    return nullptr;
}

} // namespace ui
