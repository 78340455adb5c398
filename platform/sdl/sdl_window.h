#pragma once
#include "platform/tick_timer.h"
#include "platform/window.h"

#include <SDL.h>

namespace platform::sdl {

class SdlWindowSystem;

// The main window on screen: a fixed-size SDL window showing the canvas.
class SdlWindow : public Window {
public:
    SdlWindow(SDL_Window* window, const WindowSpec& spec, WindowEvents& events,
              SdlWindowSystem& system);
    ~SdlWindow() override;

    Canvas& GetCanvas() override { return m_canvas; }
    void SetTimer(int timerId, uint32_t periodMs) override;
    void RequestRepaint() override { m_repaint = true; }
    bool IsMinimized() const override;
    int RunModal() override;
    void EndModal(int result) override { End(WindowEnd::Ended, result); }
    void PostQuit(int exitCode) override { End(WindowEnd::Quit, exitCode); }
    WindowEnd EndReason() const override { return m_endReason; }
    void Destroy() override;

    SDL_Window* Handle() const { return m_window; }

private:
    void End(WindowEnd reason, int result);
    void HandleEvent(const SDL_Event& event);
    void Present();

    SDL_Window* m_window;
    WindowEvents& m_events;
    SdlWindowSystem& m_system;
    Canvas m_canvas;
    TickTimer m_timer;
    bool m_repaint = true;
    bool m_ending = false;
    bool m_destroyed = false;
    WindowEnd m_endReason = WindowEnd::Closed;
    int m_result = 0;
};

class SdlWindowSystem : public WindowSystem {
public:
    std::unique_ptr<Window> CreateMainWindow(const WindowSpec& spec, WindowEvents& events) override;
    // The main window while it is on screen, as the owner of message boxes.
    SDL_Window* Owner() const { return m_owner; }

private:
    friend class SdlWindow;
    SDL_Window* m_owner = nullptr;
};

} // namespace platform::sdl
