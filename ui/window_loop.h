#pragma once
#include "ui/canvas.h"
#include "ui/tick_timer.h"
#include "ui/window.h"

#include <cstdint>

namespace ui {

// Something of the game's own drawn over the main window while it runs modally
// (the score dialog). Its input comes through the backend, which knows its kind.
class LoopOverlay {
public:
    virtual ~LoopOverlay() = default;
    virtual bool Done() const = 0;
    // The main window is being closed (its close button, SIGINT / SIGTERM).
    virtual void OnClose() = 0;
    // True once after it has changed.
    virtual bool TakeDirty() = 0;
    // Draws itself over a copy of the main window's canvas.
    virtual void PaintOver(Canvas& frame) = 0;
};

// What differs between a window on screen and one in memory: where input comes
// from, what time it is, and where a finished frame goes.
class LoopBackend {
public:
    virtual ~LoopBackend() = default;
    virtual uint32_t Now() = 0;
    // Waits at most waitMs for input and hands whatever came to the loop (keys,
    // a close, a need to repaint) or, while one runs, to the overlay.
    virtual void WaitForInput(uint32_t waitMs) = 0;
    virtual void Present(const PixelImage& frame) = 0;
};

// The main window's loop, one for both backends: frame ticks that are never
// queued, repaints folded together, a modal run that ends only after the
// handler that ended it has returned, and overlays run inside a handler while
// the scene behind keeps its ticks and repaints.
class WindowLoop {
public:
    WindowLoop(int width, int height, WindowEvents& events, LoopBackend& backend);

    Canvas& GetCanvas() { return m_canvas; }
    const Canvas& GetCanvas() const { return m_canvas; }
    void SetTimer(int timerId, uint32_t periodMs);
    bool TimerRunning() const { return m_timer.Running(); }
    // Milliseconds until the next tick is due; 0 when one is waiting.
    uint32_t UntilTick();
    void RequestRepaint() { m_repaint = true; }
    bool RepaintPending() const { return m_repaint; }

    // Input the backend received.
    void KeyUp(int vk);
    // What is on screen was lost or resized: it is drawn again.
    void Expose();
    // The window manager's close button, SIGINT or SIGTERM.
    void Close();

    // What the loop does whenever input has been handled: at most one waiting
    // tick, then a waiting repaint.
    void Idle();
    // Only the waiting repaint, shown.
    void PaintIfRequested();

    // Until the run ends; the backend then destroys the window.
    int RunModal();
    void RunOverlay(LoopOverlay& overlay);
    bool InOverlay() const { return m_overlay != nullptr; }

    void End(WindowEnd reason, int result);
    bool Ending() const { return m_ending; }
    WindowEnd EndReason() const { return m_endReason; }
    int Result() const { return m_result; }
    // Tells the game the window is going; true only the first time.
    bool Destroy();
    bool Destroyed() const { return m_destroyed; }

    int PaintCount() const { return m_paints; }
    int TickCount() const { return m_ticks; }

private:
    uint32_t WaitMs(bool frameToShow);
    void Tick();
    bool Paint();

    WindowEvents& m_events;
    LoopBackend& m_backend;
    Canvas m_canvas;
    TickTimer m_timer;
    LoopOverlay* m_overlay = nullptr;
    bool m_repaint = true; // nothing has been drawn yet
    bool m_showOverlay = false;
    bool m_ending = false;
    bool m_destroyed = false;
    WindowEnd m_endReason = WindowEnd::Closed;
    int m_result = 0;
    int m_paints = 0;
    int m_ticks = 0;
};

} // namespace ui
