#pragma once
#include "platform/headless/headless_pads.h"
#include "platform/headless/virtual_clock.h"
#include "platform/tick_timer.h"
#include "platform/window.h"
#include "platform/window_scaling.h"

#include <functional>
#include <vector>

namespace platform::headless {

class HeadlessWindowSystem;

// The main window without a screen: an in-memory canvas, a timer on the
// virtual clock, and key releases a test gives it. A test either steps it by
// hand (ReleaseKey, Tick, AdvanceTime) or gives it a script that RunModal plays
// to its end.
class HeadlessWindow : public Window {
public:
    // One thing that happens to the window during RunModal.
    struct Step {
        enum class Kind { Key, Ticks, Close, Call, Pad, PadTrigger };
        Kind kind = Kind::Ticks;
        int value = 0;
        std::function<void()> call;
        PadInput input = PadInput::South;

        static Step KeyUp(int vk) { return {Kind::Key, vk, {}, {}}; }
        static Step Tick(int count = 1) { return {Kind::Ticks, count, {}, {}}; }
        static Step CloseWindow() { return {Kind::Close, 0, {}, {}}; }
        // Runs test code at that point of the run (to look at the state, say).
        static Step Run(std::function<void()> call) { return {Kind::Call, 0, std::move(call), {}}; }
        // Controller 0 presses and lets go of a button.
        static Step Pad(PadInput button) { return {Kind::Pad, 0, {}, button}; }
        // Controller 0 moves a trigger to value (0 ... 32767).
        static Step Trigger(PadInput trigger, int value) {
            return {Kind::PadTrigger, value, {}, trigger};
        }
    };

    HeadlessWindow(const WindowSpec& layout, WindowEvents& events, VirtualClock& clock,
                   HeadlessWindowSystem* system);
    ~HeadlessWindow() override;

    // Window
    Canvas& GetCanvas() override { return m_canvas; }
    void SetTimer(int timerId, uint32_t periodMs) override;
    void RequestRepaint() override;
    bool IsMinimized() const override { return m_minimized; }
    int RunModal() override;
    void EndModal(int result) override { End(WindowEnd::Ended, result); }
    void PostQuit(int exitCode) override { End(WindowEnd::Quit, exitCode); }
    WindowEnd EndReason() const override { return m_endReason; }
    void Destroy() override;

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
    void Close() { End(WindowEnd::Closed, 0); }
    void SetMinimized(bool minimized);
    // A controller's button goes down or up, or its trigger moves (0 ... 32767),
    // turned into the game's key releases as the SDL window turns them. Only
    // controllers connected through the system's Pads() are heard.
    void PadButton(PadInput input, bool down, int pad = 0);
    void PadPress(PadInput input, int pad = 0);
    void PadTrigger(PadInput trigger, int value, int pad = 0);
    // The player resizes or maximises the window; the canvas keeps its size.
    void SetWindowSize(int width, int height);
    Size WindowSize() const { return m_windowSize; }
    // What the screen shows now: the last painted canvas scaled to the window.
    PixelImage Shown() const;
    // Runs once, at the next repaint request, inside the game's handler that
    // asks for it: the place where a modal box opened by that handler would
    // run its own loop (and deliver nested ticks, with Tick).
    void OnNextRepaintRequest(std::function<void()> hook) { m_repaintHook = std::move(hook); }

    bool Ending() const { return m_ending; }
    bool Destroyed() const { return m_destroyed; }
    int Result() const { return m_result; }
    // RunModal ran out of script before the game ended itself; the run was
    // then ended as if the window had been closed.
    bool ScriptRanOut() const { return m_scriptRanOut; }
    int PaintCount() const { return m_paints; }
    int TickCount() const { return m_ticks; }
    bool RepaintPending() const { return m_repaint; }

private:
    friend class HeadlessWindowSystem;
    void End(WindowEnd reason, int result);
    void DeliverTick();
    void PaintIfRequested();
    void Play(const Step& step);
    void DeliverPadKey(const PadKey& key);

    WindowSpec m_spec;
    WindowEvents& m_events;
    VirtualClock& m_clock;
    HeadlessWindowSystem* m_system;
    Canvas m_canvas;
    TickTimer m_timer;
    Size m_windowSize;
    std::vector<Step> m_script;
    std::function<void()> m_repaintHook;
    bool m_repaint = false;
    bool m_minimized = false;
    bool m_ending = false;
    bool m_destroyed = false;
    bool m_scriptRanOut = false;
    WindowEnd m_endReason = WindowEnd::Closed;
    int m_result = 0;
    int m_paints = 0;
    int m_ticks = 0;
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
