#pragma once
#include "backends/headless/headless_window.h"
#include "ui/dialog_painter.h"
#include "ui/score_dialog.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform::headless {

// The score dialog without a screen: each dialog plays the next script a test
// queued (keys, typed text, ticks of the main window while it is open) and is
// painted over a copy of the main window's canvas, so a test sees what the
// player would. A dialog without a script, or whose script ends before it
// closes, is closed as with Escape.
class HeadlessScoreDialogs : public ui::ScoreDialogs {
public:
    struct Step {
        enum class Kind { Key, Text, Click, Close, Ticks, Call };
        Kind kind = Kind::Key;
        int value = 0; // a key's code, a control's id or a count of ticks
        ui::KeyMods mods;
        std::string text;
        std::function<void(ui::DialogForm&)> call;

        static Step Key(int vk, ui::KeyMods mods = {}) { return {Kind::Key, vk, mods, {}, {}}; }
        // Text committed by the keyboard or the input method.
        static Step Type(std::string text) { return {Kind::Text, 0, {}, std::move(text), {}}; }
        // A click (press and release) in the middle of a control.
        static Step Click(int id) { return {Kind::Click, id, {}, {}, {}}; }
        // The main window's close button.
        static Step CloseWindow() { return {Kind::Close, 0, {}, {}, {}}; }
        // Frame ticks of the main window while the dialog stays open.
        static Step Ticks(int count) { return {Kind::Ticks, count, {}, {}, {}}; }
        // Runs test code at that point (to look at the dialog, say).
        static Step Run(std::function<void(ui::DialogForm&)> call) {
            return {Kind::Call, 0, {}, {}, std::move(call)};
        }
    };

    // One dialog as it was shown.
    struct Shown {
        std::string title;
        // What was drawn in its last frame.
        std::vector<ui::DialogPainter::DrawnText> atClose;
        int result = ui::kDialogCancel;
    };

    explicit HeadlessScoreDialogs(HeadlessWindowSystem& windows) : m_windows(windows) {}

    // The next dialog plays this script; several wait their turns.
    void AddScript(std::vector<Step> script) { m_scripts.push_back(std::move(script)); }
    const std::vector<Shown>& Dialogs() const { return m_shown; }

    // Boxes that stand while work goes on (RunUntil) have scripts of their
    // own. Once its script is played the box stays until the work is done,
    // the main window ticking every few real milliseconds meanwhile.
    void AddWaitScript(std::vector<Step> script) { m_waitScripts.push_back(std::move(script)); }
    const std::vector<Shown>& Waits() const { return m_waits; }

    int RunModal(ui::DialogForm& form) override;
    int RunUntil(ui::DialogForm& form, const std::function<bool()>& finished) override;

private:
    int Run(ui::DialogForm& form, std::deque<std::vector<Step>>& scripts,
            std::vector<Shown>& shownList, const std::function<bool()>& finished);
    void Play(ui::DialogForm& form, const Step& step);
    void Frame(const ui::DialogForm& form, std::vector<ui::DialogPainter::DrawnText>& drawn);

    HeadlessWindowSystem& m_windows;
    std::deque<std::vector<Step>> m_scripts;
    std::vector<Shown> m_shown;
    std::deque<std::vector<Step>> m_waitScripts;
    std::vector<Shown> m_waits;
    ui::DialogPainter m_painter;
};

} // namespace platform::headless
