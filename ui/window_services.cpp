#include "ui/window_services.h"

namespace ui {

namespace {
WindowServices g_windowServices;
} // namespace

WindowServices InstallWindowServices(const WindowServices& services) {
    WindowServices previous = g_windowServices;
    g_windowServices = services;
    return previous;
}

const WindowServices& GetWindowServices() {
    return g_windowServices;
}

} // namespace ui
