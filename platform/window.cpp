#include "platform/window.h"

#include "platform/services.h"

#include <cstdio>

namespace platform {

std::unique_ptr<Window> CreateMainWindow(const WindowSpec& layout, WindowEvents& events) {
    if (WindowSystem* windows = GetServices().windows) {
        return windows->CreateMainWindow(layout, events);
    }
    std::fprintf(stderr, "kirikazeJ: no window system; nothing to show\n");
    return nullptr;
}

} // namespace platform
