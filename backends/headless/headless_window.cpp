#include "backends/headless/headless_window.h"

namespace platform::headless {

namespace {
constexpr uint32_t kIdleStepMs = 100; // how far Tick moves the clock without a timer
} // namespace

HeadlessWindow::HeadlessWindow(const ui::WindowSpec& layout, ui::WindowEvents& events,
                               VirtualClock& clock, HeadlessWindowSystem* system)
    : m_spec(layout), m_clock(clock), m_system(system),
      m_loop(layout.width, layout.height, events, *this) {
    m_loop.GetCanvas().EnableTextLog(true);
}

HeadlessWindow::~HeadlessWindow() {
    if (m_system && m_system->m_current == this) {
        m_system->m_current = nullptr;
    }
}

void HeadlessWindow::RequestRepaint() {
    m_loop.RequestRepaint();
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

void HeadlessWindow::Pump() {
    if (!m_loop.Ending()) {
        m_loop.Idle();
    }
}

void HeadlessWindow::DeliverPadKey(const ui::PadKey& key) {
    m_loop.KeyUp(key.vk);
    m_loop.PaintIfRequested();
}

void HeadlessWindow::PadPress(ui::PadInput input, int pad) {
    if (m_loop.Ending() || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    for (bool down : {true, false}) {
        DeliverPadKey(m_system->Pads().Keys().Button(pad, input, down, ui::PadTarget::Game));
    }
}

void HeadlessWindow::PadTrigger(ui::PadInput trigger, int value, int pad) {
    if (m_loop.Ending() || !m_system || !m_system->Pads().Connected(pad)) {
        return;
    }
    DeliverPadKey(m_system->Pads().Keys().Trigger(pad, trigger, value, ui::PadTarget::Game));
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
    if (m_loop.InOverlay() && m_overlayInput) {
        if (!m_overlayInput()) {
            m_overlayInput = nullptr;
        }
        return;
    }
    // Nothing left to wait for (an overlay whose input has run out must have
    // ended itself): one waiting on regardless would wait forever, so the
    // window closes.
    Close();
}

void HeadlessWindow::RunOverlay(ui::LoopOverlay& overlay, std::function<bool()> next) {
    // Overlays nest (a password prompt over a waiting box): the outer one's
    // input and wait come back when the inner one ends.
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

std::unique_ptr<ui::Window> HeadlessWindowSystem::CreateMainWindow(const ui::WindowSpec& layout,
                                                                   ui::WindowEvents& events) {
    auto window = std::make_unique<HeadlessWindow>(layout, events, m_clock, this);
    m_current = window.get();
    return window;
}

} // namespace platform::headless
