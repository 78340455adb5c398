#pragma once
#include "platform/headless/headless_pads.h"
#include "platform/headless/virtual_clock.h"
#include "platform/window.h"
#include "ui/window_loop.h"
#include "ui/window_scaling.h"

#include <functional>
#include <vector>

namespace platform::headless {

class HeadlessWindowSystem;

// The main window without a screen: the game's own window loop on an in-memory
// canvas and the virtual clock, with key releases a test gives it. A test
// either steps it by hand (ReleaseKey, Tick, AdvanceTime) or gives it a script
// that RunModal plays to its end: each step is input the loop waits for.
class HeadlessWindow : public Window, private ui::LoopBackend {
public:
    // One thing that happens to the window during RunModal.
    struct Step {
        enum class Kind { Key, Ticks, Close, Call, Pad, PadTrigger };
        Kind kind = Kind::Ticks;
        int value = 0;
        std::function<void()> call;
        ui::PadInput input = ui::PadInput::South;

        static Step KeyUp(int vk) { return {Kind::Key, vk, {}, {}}; }
        static Step Tick(int count = 1) { return {Kind::Ticks, count, {}, {}}; }
        static Step CloseWindow() { return {Kind::Close, 0, {}, {}}; }
        // Runs test code at that point of the run (to look at the state, say).
        static Step Run(std::function<void()> call) { return {Kind::Call, 0, std::move(call), {}}; }
        // Controller 0 presses and lets go of a button.
        static Step Pad(ui::PadInput button) { return {Kind::Pad, 0, {}, button}; }
        // Controller 0 moves a trigger to value (0 ... 32767).
        static Step Trigger(ui::PadInput trigger, int value) {
            return {Kind::PadTrigger, value, {}, trigger};
        }
    };

    HeadlessWindow(const WindowSpec& layout, WindowEvents& events, VirtualClock& clock,
                   HeadlessWindowSystem* system);
    ~HeadlessWindow() override;

    // Window
    ui::Canvas& GetCanvas() override { return m_loop.GetCanvas(); }
    void SetTimer(int timerId, uint32_t periodMs) override { m_loop.SetTimer(timerId, periodMs); }
    void RequestRepaint() override;
    bool IsMinimized() const override { return m_minimized; }
    int RunModal() override;
    void EndModal(int result) override { m_loop.End(WindowEnd::Ended, result); }
    void PostQuit(int exitCode) override { m_loop.End(WindowEnd::Quit, exitCode); }
    WindowEnd EndReason() const override { return m_loop.EndReason(); }
    void Destroy() override { m_loop.Destroy(); }

    // Test side. Nothing is delivered once the window is ending.
    const WindowSpec& Layout() const { return m_spec; }
    void SetScript(std::vector<Step> script) { m_script = std::move(script); }
    // A key release, then a waiting repaint.
    void ReleaseKey(int vk);
    // Moves the clock to the next tick and delivers it, then a waiting repaint.
    // Called from inside a handler it delivers a nested tick, as a modal box's
    // own loop would.
    void Tick();
    void Ticks(int count);
    // Moves the clock, then delivers what the idle loop would: at most one
    // waiting tick and a waiting repaint.
    void AdvanceTime(uint32_t ms);
    void Pump();
    // The window manager's close button (or SIGINT / SIGTERM).
    void Close() { m_loop.Close(); }
    void SetMinimized(bool minimized);
    // A controller's button goes down or up, or its trigger moves (0 ... 32767),
    // turned into the game's key releases as the SDL window turns them. Only
    // controllers connected through the system's Pads() are heard.
    void PadButton(ui::PadInput input, bool down, int pad = 0);
    void PadPress(ui::PadInput input, int pad = 0);
    void PadTrigger(ui::PadInput trigger, int value, int pad = 0);
    // The player resizes or maximises the window; the canvas keeps its size.
    void SetWindowSize(int width, int height);
    ui::Size WindowSize() const { return m_windowSize; }
    // What the screen shows now: the last painted canvas scaled to the window.
    PixelImage Shown() const;
    // Runs once, at the next repaint request, inside the game's handler that
    // asks for it: the place where a modal box opened by that handler would
    // run its own loop (and deliver nested ticks, with Tick).
    void OnNextRepaintRequest(std::function<void()> hook) { m_repaintHook = std::move(hook); }
    // Runs something drawn over the window (the score dialog) in the loop,
    // taking its input from next: one step per call, false once it has no more.
    void RunOverlay(ui::LoopOverlay& overlay, std::function<bool()> next);
    // From inside an overlay's step: the next input comes after count ticks.
    void WaitTicks(int count) { m_ticksToWait = count; }

    bool Ending() const { return m_loop.Ending(); }
    bool Destroyed() const { return m_loop.Destroyed(); }
    int Result() const { return m_loop.Result(); }
    // RunModal ran out of script before the game ended itself; the run was
    // then ended as if the window had been closed.
    bool ScriptRanOut() const { return m_scriptRanOut; }
    int PaintCount() const { return m_loop.PaintCount(); }
    int TickCount() const { return m_loop.TickCount(); }
    bool RepaintPending() const { return m_loop.RepaintPending(); }

private:
    friend class HeadlessWindowSystem;
    // ui::LoopBackend: time is the virtual clock, input is the script.
    uint32_t Now() override { return m_clock.TickCount(); }
    void WaitForInput(uint32_t waitMs) override;
    // Tests look at the canvas and the dialogs' own frames.
    void Present(const PixelImage&) override {}

    // Time passes up to the next tick (a while without a timer).
    void AdvanceToTick();
    void Play(const Step& step);
    void DeliverPadKey(const ui::PadKey& key);

    WindowSpec m_spec;
    VirtualClock& m_clock;
    HeadlessWindowSystem* m_system;
    ui::WindowLoop m_loop;
    ui::Size m_windowSize;
    std::vector<Step> m_script;
    size_t m_nextStep = 0;
    // Ticks a script step still lets pass before the next step is input.
    int m_ticksToWait = 0;
    std::function<bool()> m_overlayInput;
    std::function<void()> m_repaintHook;
    bool m_minimized = false;
    bool m_scriptRanOut = false;
};

class HeadlessWindowSystem : public WindowSystem {
public:
    explicit HeadlessWindowSystem(VirtualClock& clock) : m_clock(clock) {}
    std::unique_ptr<Window> CreateMainWindow(const WindowSpec& layout,
                                             WindowEvents& events) override;

    // The window the game has open; null before it opens and after it is freed.
    HeadlessWindow* Current() const { return m_current; }
    // The script the next window plays when it is run modally.
    void SetNextScript(std::vector<HeadlessWindow::Step> script) { m_script = std::move(script); }
    // The controllers; also the game's haptics service.
    HeadlessPads& Pads() { return m_pads; }
    // The next window opens this many times its client size (1 ... 4).
    void SetStartScale(int scale) { m_startScale = scale; }

private:
    friend class HeadlessWindow;
    VirtualClock& m_clock;
    HeadlessWindow* m_current = nullptr;
    std::vector<HeadlessWindow::Step> m_script;
    int m_startScale = 1;
    HeadlessPads m_pads;
};

} // namespace platform::headless
