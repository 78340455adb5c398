#include "ui/window_loop.h"

namespace ui {

namespace {
// Without a timer the loop still wakes now and then.
constexpr uint32_t kIdleWaitMs = 1000;
} // namespace

WindowLoop::WindowLoop(int width, int height, WindowEvents& events, LoopBackend& backend)
    : m_events(events), m_backend(backend), m_canvas(width, height) {}

void WindowLoop::SetTimer(int timerId, uint32_t periodMs) {
    m_timer.Start(timerId, periodMs, m_backend.Now());
}

uint32_t WindowLoop::UntilTick() {
    return m_timer.Running() ? m_timer.Remaining(m_backend.Now()) : kIdleWaitMs;
}

void WindowLoop::KeyUp(int vk) {
    if (!m_ending && vk != 0) {
        m_events.OnWindowKeyUp(vk);
    }
}

void WindowLoop::Expose() {
    if (m_overlay) {
        m_showOverlay = true;
    } else {
        m_repaint = true;
    }
}

void WindowLoop::Close() {
    End(WindowEnd::Closed, 0);
    if (m_overlay) {
        m_overlay->OnClose();
    }
}

void WindowLoop::End(WindowEnd reason, int result) {
    if (m_ending) {
        return;
    }
    m_ending = true;
    m_endReason = reason;
    m_result = result;
}

bool WindowLoop::Destroy() {
    if (m_destroyed) {
        return false;
    }
    m_destroyed = true;
    m_ending = true;
    m_events.OnWindowDestroy();
    return true;
}

uint32_t WindowLoop::WaitMs(bool frameToShow) {
    return frameToShow || m_repaint ? 0 : UntilTick();
}

void WindowLoop::Tick() {
    // Only one tick however long the handlers took: missed ones are gone.
    if (!m_ending && m_timer.TakeDue(m_backend.Now())) {
        ++m_ticks;
        m_events.OnWindowTick(m_timer.Id());
    }
}

bool WindowLoop::Paint() {
    if (m_ending || !m_repaint) {
        return false;
    }
    m_repaint = false;
    ++m_paints;
    m_events.OnWindowPaint();
    return true;
}

void WindowLoop::Idle() {
    Tick();
    PaintIfRequested();
}

void WindowLoop::PaintIfRequested() {
    if (Paint() && !m_overlay) {
        m_backend.Present(m_canvas.Pixels());
    }
}

int WindowLoop::RunModal() {
    // The window appears and is painted before anything else happens.
    m_repaint = true;
    while (!m_ending) {
        m_backend.WaitForInput(WaitMs(false));
        Idle();
    }
    return m_result;
}

void WindowLoop::RunOverlay(LoopOverlay& overlay) {
    LoopOverlay* const outer = m_overlay;
    m_overlay = &overlay;
    m_showOverlay = true;
    while (!overlay.Done()) {
        m_backend.WaitForInput(WaitMs(m_showOverlay));
        if (overlay.Done()) {
            break;
        }
        // The scene behind keeps its frames; the game decides what a tick
        // inside its own handler may do.
        Tick();
        m_showOverlay |= Paint();
        m_showOverlay |= overlay.TakeDirty();
        if (m_showOverlay) {
            Canvas frame(m_canvas.Width(), m_canvas.Height());
            frame.Copy(m_canvas.Pixels(), 0, 0);
            overlay.PaintOver(frame);
            m_backend.Present(frame.Pixels());
            m_showOverlay = false;
        }
    }
    m_overlay = outer;
    // Gone from the screen at once, even if the game goes on working (and
    // shows a message box) before the next paint.
    m_backend.Present(m_canvas.Pixels());
    m_repaint = true;
}

} // namespace ui
