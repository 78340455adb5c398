#pragma once
#include "backends/sdl/sdl_gamepads.h"
#include "ui/window.h"
#include "ui/window_loop.h"
#include "ui/window_scaling.h"

#include <SDL.h>

#include <vector>

namespace platform::sdl {

class SdlWindowSystem;

// A modal window of the game's own drawn over the main window (the score
// dialog). While it runs, the main window keeps its ticks and repaints, and
// every input event goes to it instead of the main window.
class SdlOverlay : public ui::LoopOverlay {
public:
    // A key, typed text, the input method's composition, a click or a wheel.
    virtual void OnInput(const SDL_Event& event) = 0;
    // A key pressed by other means than the keyboard (a game controller).
    virtual void OnKeyDown(int vk, ui::KeyMods mods) = 0;
};

// The main window on screen: an SDL window showing the canvas. The canvas
// keeps its fixed size; the window may be resized or maximised, and shows the
// canvas scaled to fit (ui/window_scaling.h).
class SdlWindow : public ui::Window, private ui::LoopBackend {
public:
    SdlWindow(SDL_Window* window, const ui::WindowSpec& layout, ui::WindowEvents& events,
              SdlWindowSystem& system);
    ~SdlWindow() override;

    ui::Canvas& GetCanvas() override { return m_loop.GetCanvas(); }
    void SetTimer(int timerId, uint32_t periodMs) override { m_loop.SetTimer(timerId, periodMs); }
    void RequestRepaint() override { m_loop.RequestRepaint(); }
    bool IsMinimized() const override;
    int RunModal() override;
    void EndModal(int result) override { m_loop.End(ui::WindowEnd::Ended, result); }
    void PostQuit(int exitCode) override { m_loop.End(ui::WindowEnd::Quit, exitCode); }
    ui::WindowEnd EndReason() const override { return m_loop.EndReason(); }
    void Destroy() override;

    SDL_Window* Handle() const { return m_window; }
    ui::Size GetCanvasSize() const {
        return {m_loop.GetCanvas().Width(), m_loop.GetCanvas().Height()};
    }
    // How the canvas sits in the window as it is now.
    ui::WindowScaling Scaling() const;
    // Runs the overlay until it is done: a modal loop inside whatever handler
    // of the game opened it.
    void RunOverlay(SdlOverlay& overlay);

private:
    // ui::LoopBackend
    uint32_t Now() override;
    void WaitForInput(uint32_t waitMs) override;
    void Present(const PixelImage& image) override;

    void HandleEvent(const SDL_Event& event);
    // Keys, text, clicks and the wheel while an overlay runs: all are its.
    void HandleOverlayInput(const SDL_Event& event, SdlOverlay& overlay);
    // True (and forgotten) when the key went down inside an overlay.
    bool TakeOverlayKey(SDL_Scancode scancode);
    // Mouse positions in the window become positions on the canvas.
    SDL_Event OnCanvas(const SDL_Event& event) const;

    SDL_Window* m_window;
    SdlWindowSystem& m_system;
    ui::WindowLoop m_loop;
    SdlOverlay* m_overlay = nullptr;
    // Keys pressed in an overlay and not yet released when it closed (the
    // Enter that sent the score): their releases belong to it, not the game.
    std::vector<SDL_Scancode> m_overlayKeys;
    PixelImage m_scaled; // the last frame as the enlarged window shows it
};

class SdlWindowSystem : public ui::WindowSystem {
public:
    std::unique_ptr<ui::Window> CreateMainWindow(const ui::WindowSpec& layout,
                                                 ui::WindowEvents& events) override;
    // The next window opens this many times its client size (1 ... 4), or
    // the largest whole multiple the screen has room for.
    void SetStartScale(int scale) { m_startScale = scale; }
    // The main window while it is on screen, as the owner of message boxes.
    SDL_Window* Owner() const { return m_owner; }
    // The same window, for what is drawn over it.
    SdlWindow* Main() const { return m_main; }
    // The game controllers, heard by every window loop.
    SdlGamepads& Pads() { return m_pads; }

private:
    friend class SdlWindow;
    int ScaleThatFits(int width, int height) const;

    SDL_Window* m_owner = nullptr;
    SdlWindow* m_main = nullptr;
    int m_startScale = 1;
    SdlGamepads m_pads;
};

} // namespace platform::sdl
