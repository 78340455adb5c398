#pragma once
#include "backends/headless/headless_pads.h"
#include "backends/headless/virtual_clock.h"
#include "ui/window.h"
#include "ui/window_loop.h"

#include <functional>
#include <vector>

namespace platform::headless {

class HeadlessWindowSystem;

// The main window without a screen: the game's own window loop on an in-memory
// canvas and the virtual clock, with key releases a test gives it. A test
// steps it by hand (ReleaseKey, Tick); run modally, with no input left to
// wait for, it is closed.
class HeadlessWindow : public ui::Window, private ui::LoopBackend {
public:
    HeadlessWindow(const ui::WindowSpec& layout, ui::WindowEvents& events, VirtualClock& clock,
                   HeadlessWindowSystem* system);
    ~HeadlessWindow() override;

    // ui::Window
    ui::Canvas& GetCanvas() override { return m_loop.GetCanvas(); }
    void SetTimer(int timerId, uint32_t periodMs) override { m_loop.SetTimer(timerId, periodMs); }
    void RequestRepaint() override;
    bool IsMinimized() const override { return false; }
    int RunModal() override;
    void EndModal(int result) override { m_loop.End(ui::WindowEnd::Ended, result); }
    void PostQuit(int exitCode) override { m_loop.End(ui::WindowEnd::Quit, exitCode); }
    ui::WindowEnd EndReason() const override { return m_loop.EndReason(); }
    void Destroy() override { m_loop.Destroy(); }

    // Test side. Nothing is delivered once the window is ending.
    const ui::WindowSpec& Layout() const { return m_spec; }
    // A key release, then a waiting repaint.
    void ReleaseKey(int vk);
    // Moves the clock to the next tick and delivers it, then a waiting repaint.
    // Called from inside a handler it delivers a nested tick, as a modal box's
    // own loop would.
    void Tick();
    // Delivers what the idle loop would: a waiting tick and a waiting repaint.
    void Pump();
    // The window manager's close button (or SIGINT / SIGTERM).
    void Close() { m_loop.Close(); }
    // A controller's button goes down or up, or its trigger moves (0 ... 32767),
    // turned into the game's key releases as the SDL window turns them. Only
    // controllers connected through the system's Pads() are heard.
    void PadPress(ui::PadInput input, int pad = 0);
    void PadTrigger(ui::PadInput trigger, int value, int pad = 0);
    // Runs something drawn over the window (the score dialog) in the loop,
    // taking its input from next: one step per call, false once it has no more.
    void RunOverlay(ui::LoopOverlay& overlay, std::function<bool()> next);

    // From inside an overlay's step: the next input comes after count ticks.
    void WaitTicks(int count) { m_ticksToWait = count; }

    bool Ending() const { return m_loop.Ending(); }
    int Result() const { return m_loop.Result(); }
    int PaintCount() const { return m_loop.PaintCount(); }
    int TickCount() const { return m_loop.TickCount(); }

private:
    friend class HeadlessWindowSystem;
    // ui::LoopBackend: time is the virtual clock, input what a test gives.
    uint32_t Now() override { return m_clock.TickCount(); }
    void WaitForInput(uint32_t waitMs) override;
    // Tests look at the canvas and the dialogs' own frames.
    void Present(const PixelImage&) override {}

    // Time passes up to the next tick (a while without a timer).
    void AdvanceToTick();
    void DeliverPadKey(const ui::PadKey& key);

    ui::WindowSpec m_spec;
    VirtualClock& m_clock;
    HeadlessWindowSystem* m_system;
    ui::WindowLoop m_loop;
    // Ticks an overlay's step still lets pass before its next step is input.
    int m_ticksToWait = 0;
    std::function<bool()> m_overlayInput;
};

class HeadlessWindowSystem : public ui::WindowSystem {
public:
    explicit HeadlessWindowSystem(VirtualClock& clock) : m_clock(clock) {}
    std::unique_ptr<ui::Window> CreateMainWindow(const ui::WindowSpec& layout,
                                                 ui::WindowEvents& events) override;

    // The window the game has open; null before it opens and after it is freed.
    HeadlessWindow* Current() const { return m_current; }
    // The controllers; also the game's haptics service.
    HeadlessPads& Pads() { return m_pads; }

private:
    friend class HeadlessWindow;
    VirtualClock& m_clock;
    HeadlessWindow* m_current = nullptr;
    HeadlessPads m_pads;
};

} // namespace platform::headless
