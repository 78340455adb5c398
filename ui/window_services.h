#pragma once
// The game's window and its modal dialogs, which the backend installs beside
// the platform's services (platform/services.h): they are expressed in this
// folder's canvas and forms, so the platform's table does not hold them.

namespace ui {

class WindowSystem;
class ScoreDialogs;

struct WindowServices {
    WindowSystem* windows = nullptr;
    ScoreDialogs* scoreDialogs = nullptr;
};

// Replaces the installed pair and returns the previous one, so a test can put
// back what it found.
WindowServices InstallWindowServices(const WindowServices& services);
const WindowServices& GetWindowServices();

} // namespace ui
