#pragma once
#include "platform/pixels.h"
#include "ui/canvas.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ui {

// What the main window tells the game. All calls come on the one UI thread.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A timer fell due. Ticks are never queued: however long the game was
    // busy, at most one waiting tick is delivered afterwards.
    virtual void OnWindowTick(int timerId) = 0;
    // A key was released; vk is its virtual-key code (platform/keys.h).
    virtual void OnWindowKeyUp(int vk) = 0;
    // Draw the whole client area onto the window's canvas.
    virtual void OnWindowPaint() = 0;
    // The window is going away: the last call, made exactly once.
    virtual void OnWindowDestroy() = 0;
};

struct WindowSpec {
    int width = 0; // client area in pixels, fixed for the window's life
    int height = 0;
    std::string caption;
    PixelImage icon;
};

// How a modal run ended.
enum class WindowEnd {
    Ended,  // EndModal
    Quit,   // PostQuit
    Closed, // the window manager's close button, or SIGINT / SIGTERM
};

// The game's one top-level window.
class Window {
public:
    virtual ~Window() = default;

    // The client area the game draws on; shown as it is after each paint.
    virtual Canvas& GetCanvas() = 0;
    int ClientWidth() { return GetCanvas().Width(); }
    int ClientHeight() { return GetCanvas().Height(); }

    // Starts (or restarts) timer id with the period; ticks go to OnWindowTick.
    virtual void SetTimer(int timerId, uint32_t periodMs) = 0;
    // Asks for one OnWindowPaint soon; several requests before it make one.
    virtual void RequestRepaint() = 0;
    virtual bool IsMinimized() const = 0;

    // Handles ticks, keys and paints until EndModal, PostQuit, a close or a
    // signal; then calls OnWindowDestroy and returns the value given to
    // EndModal or PostQuit (0 for a close).
    virtual int RunModal() = 0;
    // Both only end the run once the handler that calls them has returned.
    virtual void EndModal(int result) = 0;
    virtual void PostQuit(int exitCode) = 0;
    // How the last run ended; meaningful once it has.
    virtual WindowEnd EndReason() const = 0;
    // Calls OnWindowDestroy if it has not been called yet (a window that was
    // never run modally, or is dropped early).
    virtual void Destroy() = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    virtual std::unique_ptr<Window> CreateMainWindow(const WindowSpec& layout,
                                                     WindowEvents& events) = 0;
};

// Through the installed backend; null (and one line on stderr) without one.
std::unique_ptr<Window> CreateMainWindow(const WindowSpec& layout, WindowEvents& events);

} // namespace ui
