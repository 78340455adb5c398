#include "platform/headless/headless_window.h"

#include <algorithm>

namespace platform::headless {

namespace {
constexpr uint32_t kIdleStepMs = 100; // how far Tick moves the clock without a timer
} // namespace

HeadlessWindow::HeadlessWindow(const WindowSpec& layout, WindowEvents& events, VirtualClock& clock,
                               HeadlessWindowSystem* system)
    : m_spec(layout), m_events(events), m_clock(clock), m_system(system),
      m_canvas(layout.width, layout.height), m_windowSize{layout.width, layout.height} {
    m_canvas.EnableTextLog(true);
}

HeadlessWindow::~HeadlessWindow() {
    if (m_system && m_system->m_current == this) {
        m_system->m_current = nullptr;
    }
}

void HeadlessWindow::SetTimer(int timerId, uint32_t periodMs) {
    m_timer.Start(timerId, periodMs, m_clock.TickCount());
}

void HeadlessWindow::RequestRepaint() {
    m_repaint = true;
    if (m_repaintHook) {
        auto hook = std::move(m_repaintHook);
        m_repaintHook = nullptr;
        hook();
    }
}

void HeadlessWindow::End(WindowEnd reason, int result) {
    if (m_ending) {
        return;
    }
    m_ending = true;
    m_endReason = reason;
    m_result = result;
}

void HeadlessWindow::Destroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    m_ending = true;
    m_events.OnWindowDestroy();
}

void HeadlessWindow::DeliverTick() {
    ++m_ticks;
    m_events.OnWindowTick(m_timer.Id());
}

void HeadlessWindow::PaintIfRequested() {
    if (m_ending || !m_repaint) {
        return;
    }
    m_repaint = false;
    ++m_paints;
    m_events.OnWindowPaint();
}

void HeadlessWindow::ReleaseKey(int vk) {
    if (m_ending) {
        return;
    }
    m_events.OnWindowKeyUp(vk);
    PaintIfRequested();
}

void HeadlessWindow::Tick() {
    if (m_ending) {
        return;
    }
    const uint32_t now = m_clock.TickCount();
    m_clock.Advance(m_timer.Running() ? m_timer.Remaining(now) : kIdleStepMs);
    if (m_timer.TakeDue(m_clock.TickCount())) {
        DeliverTick();
    }
    PaintIfRequested();
}

void HeadlessWindow::Ticks(int count) {
    for (int i = 0; i < count && !m_ending; ++i) {
        Tick();
    }
}

void HeadlessWindow::AdvanceTime(uint32_t ms) {
    m_clock.Advance(ms);
    Pump();
}

void HeadlessWindow::Pump() {
    if (m_ending) {
        return;
    }
    if (m_timer.TakeDue(m_clock.TickCount())) {
        DeliverTick();
    }
    PaintIfRequested();
}

void HeadlessWindow::SetMinimized(bool minimized) {
    m_minimized = minimized;
    m_repaint = true;
    PaintIfRequested();
}

void HeadlessWindow::DeliverPadKey(const PadKey& key) {
    if (key.vk != 0) {
        m_events.OnWindowKeyUp(key.vk);
    }
    PaintIfRequested();
}

void HeadlessWindow::PadButton(PadInput input, bool down, int pad) {
    if (m_ending || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    DeliverPadKey(m_system->Pads().Keys().Button(pad, input, down, PadTarget::Game));
}

void HeadlessWindow::PadPress(PadInput input, int pad) {
    PadButton(input, true, pad);
    PadButton(input, false, pad);
}

void HeadlessWindow::PadTrigger(PadInput trigger, int value, int pad) {
    if (m_ending || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    DeliverPadKey(m_system->Pads().Keys().Trigger(pad, trigger, value, PadTarget::Game));
}

void HeadlessWindow::SetWindowSize(int width, int height) {
    m_windowSize = {std::max(width, 0), std::max(height, 0)};
    m_repaint = true;
    PaintIfRequested();
}

PixelImage HeadlessWindow::Shown() const {
    PixelImage shown;
    WindowScaling(m_canvas.Width(), m_canvas.Height(), m_windowSize.cx, m_windowSize.cy)
        .Render(m_canvas.Pixels(), shown);
    return shown;
}

void HeadlessWindow::Play(const Step& step) {
    switch (step.kind) {
    case Step::Kind::Key:
        ReleaseKey(step.value);
        break;
    case Step::Kind::Ticks:
        Ticks(step.value);
        break;
    case Step::Kind::Close:
        Close();
        break;
    case Step::Kind::Call:
        if (step.call) {
            step.call();
        }
        break;
    case Step::Kind::Pad:
        PadPress(step.input);
        break;
    case Step::Kind::PadTrigger:
        PadTrigger(step.input, step.value);
        break;
    }
}

int HeadlessWindow::RunModal() {
    // The window appears and is painted before anything else happens.
    m_repaint = true;
    PaintIfRequested();
    for (size_t i = 0; i < m_script.size() && !m_ending; ++i) {
        Play(m_script[i]);
    }
    if (!m_ending) {
        m_scriptRanOut = true;
        Close();
    }
    Destroy();
    return m_result;
}

std::unique_ptr<Window> HeadlessWindowSystem::CreateMainWindow(const WindowSpec& layout,
                                                               WindowEvents& events) {
    auto window = std::make_unique<HeadlessWindow>(layout, events, m_clock, this);
    const int scale = std::clamp(m_startScale, 1, 4);
    window->m_windowSize = {layout.width * scale, layout.height * scale};
    window->SetScript(std::move(m_script));
    m_script.clear();
    m_current = window.get();
    return window;
}

} // namespace platform::headless
