#include "platform/headless/headless_window.h"

#include <algorithm>

namespace platform::headless {

namespace {
constexpr uint32_t kIdleStepMs = 100; // how far Tick moves the clock without a timer
} // namespace

HeadlessWindow::HeadlessWindow(const WindowSpec& layout, WindowEvents& events, VirtualClock& clock,
                               HeadlessWindowSystem* system)
    : m_spec(layout), m_clock(clock), m_system(system),
      m_loop(layout.width, layout.height, events, *this), m_windowSize{layout.width,
                                                                       layout.height} {
    m_loop.GetCanvas().EnableTextLog(true);
}

HeadlessWindow::~HeadlessWindow() {
    if (m_system && m_system->m_current == this) {
        m_system->m_current = nullptr;
    }
}

void HeadlessWindow::RequestRepaint() {
    m_loop.RequestRepaint();
    if (m_repaintHook) {
        auto hook = std::move(m_repaintHook);
        m_repaintHook = nullptr;
        hook();
    }
}

void HeadlessWindow::AdvanceToTick() {
    m_clock.Advance(m_loop.TimerRunning() ? m_loop.UntilTick() : kIdleStepMs);
}

void HeadlessWindow::ReleaseKey(int vk) {
    if (m_loop.Ending()) {
        return;
    }
    m_loop.KeyUp(vk);
    m_loop.PaintIfRequested();
}

void HeadlessWindow::Tick() {
    if (m_loop.Ending()) {
        return;
    }
    AdvanceToTick();
    m_loop.Idle();
}

void HeadlessWindow::Ticks(int count) {
    for (int i = 0; i < count && !m_loop.Ending(); ++i) {
        Tick();
    }
}

void HeadlessWindow::AdvanceTime(uint32_t ms) {
    m_clock.Advance(ms);
    Pump();
}

void HeadlessWindow::Pump() {
    if (!m_loop.Ending()) {
        m_loop.Idle();
    }
}

void HeadlessWindow::SetMinimized(bool minimized) {
    m_minimized = minimized;
    m_loop.RequestRepaint();
    m_loop.PaintIfRequested();
}

void HeadlessWindow::DeliverPadKey(const ui::PadKey& key) {
    m_loop.KeyUp(key.vk);
    m_loop.PaintIfRequested();
}

void HeadlessWindow::PadButton(ui::PadInput input, bool down, int pad) {
    if (m_loop.Ending() || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    DeliverPadKey(m_system->Pads().Keys().Button(pad, input, down, ui::PadTarget::Game));
}

void HeadlessWindow::PadPress(ui::PadInput input, int pad) {
    PadButton(input, true, pad);
    PadButton(input, false, pad);
}

void HeadlessWindow::PadTrigger(ui::PadInput trigger, int value, int pad) {
    if (m_loop.Ending() || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    DeliverPadKey(m_system->Pads().Keys().Trigger(pad, trigger, value, ui::PadTarget::Game));
}

void HeadlessWindow::SetWindowSize(int width, int height) {
    m_windowSize = {std::max(width, 0), std::max(height, 0)};
    m_loop.RequestRepaint();
    m_loop.PaintIfRequested();
}

PixelImage HeadlessWindow::Shown() const {
    const ui::Canvas& canvas = m_loop.GetCanvas();
    PixelImage shown;
    ui::WindowScaling(canvas.Width(), canvas.Height(), m_windowSize.cx, m_windowSize.cy)
        .Render(canvas.Pixels(), shown);
    return shown;
}

void HeadlessWindow::Play(const Step& step) {
    switch (step.kind) {
    case Step::Kind::Key:
        m_loop.KeyUp(step.value);
        break;
    case Step::Kind::Ticks:
        m_ticksToWait = step.value;
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

void HeadlessWindow::WaitForInput(uint32_t) {
    // What is due is done before the next input: the first paint, say.
    if (m_loop.RepaintPending() && !m_loop.Ending()) {
        return;
    }
    if (m_ticksToWait > 0) {
        --m_ticksToWait;
        AdvanceToTick();
        return;
    }
    if (m_loop.InOverlay()) {
        // An overlay whose input has run out must have ended itself; one
        // that waits on regardless would wait forever, so the window closes.
        if (!m_overlayInput) {
            Close();
        } else if (!m_overlayInput()) {
            m_overlayInput = nullptr;
        }
        return;
    }
    if (m_nextStep < m_script.size()) {
        Play(m_script[m_nextStep++]);
        return;
    }
    m_scriptRanOut = true;
    Close();
}

void HeadlessWindow::RunOverlay(ui::LoopOverlay& overlay, std::function<bool()> next) {
    auto outer = std::move(m_overlayInput);
    const int outerTicks = m_ticksToWait;
    m_overlayInput = std::move(next);
    m_ticksToWait = 0;
    m_loop.RunOverlay(overlay);
    m_overlayInput = std::move(outer);
    m_ticksToWait = outerTicks;
}

int HeadlessWindow::RunModal() {
    const int result = m_loop.RunModal();
    Destroy();
    return result;
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
