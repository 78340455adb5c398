#include "backends/headless/headless_score_dialogs.h"

#include <chrono>
#include <thread>

namespace platform::headless {

namespace {
constexpr int kWidthWithoutWindow = 732;
constexpr int kHeightWithoutWindow = 570;
// Real time between two virtual ticks while a box waits for work.
constexpr auto kWaitStep = std::chrono::milliseconds(2);

// The dialog as the window's loop runs it over the scene.
class FormOverlay : public ui::LoopOverlay {
public:
    FormOverlay(ui::DialogForm& form, ui::DialogPainter& painter, ui::Rect client,
                const std::function<bool()>& finished = nullptr)
        : m_form(form), m_painter(painter), m_client(client), m_finished(finished) {}
    bool Done() const override {
        if (!m_form.Ended() && m_finished && m_finished()) {
            m_form.EndDialog(ui::kDialogOk);
        }
        return m_form.Ended();
    }
    void OnClose() override { m_form.Cancel(); }
    bool TakeDirty() override { return m_form.TakeDirty(); }
    void PaintOver(ui::Canvas& frame) override { m_painter.Paint(m_form, frame, m_client); }

private:
    ui::DialogForm& m_form;
    ui::DialogPainter& m_painter;
    ui::Rect m_client;
    std::function<bool()> m_finished;
};

} // namespace

void HeadlessScoreDialogs::Frame(const ui::DialogForm& form,
                                 std::vector<ui::DialogPainter::DrawnText>& drawn) {
    HeadlessWindow* window = m_windows.Current();
    ui::Canvas frame(window ? window->GetCanvas().Width() : kWidthWithoutWindow,
                     window ? window->GetCanvas().Height() : kHeightWithoutWindow);
    if (window) {
        frame.Copy(window->GetCanvas().Pixels(), 0, 0);
    }
    m_painter.Paint(form, frame, ui::DialogPainter::Place(form, frame.Width(), frame.Height()));
    drawn = m_painter.Drawn();
}

void HeadlessScoreDialogs::Play(ui::DialogForm& form, const Step& step) {
    switch (step.kind) {
    case Step::Kind::Key:
        form.KeyDown(step.value, step.mods);
        break;
    case Step::Kind::Text:
        form.TextInput(step.text);
        break;
    case Step::Kind::Click:
        for (int i = 0; i < static_cast<int>(form.Controls().size()); ++i) {
            if (form.Controls()[i].layout.id == step.value) {
                const ui::Rect r = form.FieldRect(i);
                form.MouseDown((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                form.MouseUp((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                break;
            }
        }
        break;
    case Step::Kind::Close:
        if (HeadlessWindow* window = m_windows.Current()) {
            window->Close();
        }
        form.Cancel();
        break;
    case Step::Kind::Ticks:
        if (HeadlessWindow* window = m_windows.Current()) {
            window->WaitTicks(step.value);
        }
        break;
    case Step::Kind::Call:
        step.call(form);
        break;
    }
}

int HeadlessScoreDialogs::RunModal(ui::DialogForm& form) {
    return Run(form, m_scripts, m_shown, nullptr);
}

int HeadlessScoreDialogs::RunUntil(ui::DialogForm& form, const std::function<bool()>& finished) {
    return Run(form, m_waitScripts, m_waits, finished);
}

// Each step is the input the dialog waits for. Once they are out, a dialog
// is closed as with Escape, as it looked then; a box that stands while work
// goes on (finished) waits on it, a frame tick every few real milliseconds.
int HeadlessScoreDialogs::Run(ui::DialogForm& form, std::deque<std::vector<Step>>& scripts,
                              std::vector<Shown>& shownList,
                              const std::function<bool()>& finished) {
    std::vector<Step> script;
    if (!scripts.empty()) {
        script = std::move(scripts.front());
        scripts.pop_front();
    }
    Shown shown{form.Template().title};
    form.Open();
    size_t next = 0;
    bool ranOut = false;
    HeadlessWindow* window = m_windows.Current();
    auto input = [&] {
        if (next < script.size()) {
            Play(form, script[next++]);
            return true;
        }
        if (!finished) {
            Frame(form, shown.atClose);
            ranOut = true;
            form.Cancel();
            return false;
        }
        std::this_thread::sleep_for(kWaitStep);
        if (window) {
            window->WaitTicks(1);
        }
        return true;
    };
    const ui::Rect client = window ? ui::DialogPainter::Place(form, window->GetCanvas().Width(),
                                                              window->GetCanvas().Height())
                                   : ui::Rect{};
    FormOverlay overlay(form, m_painter, client, finished);
    if (window && !window->Ending()) {
        window->RunOverlay(overlay, input);
    } else {
        while (!overlay.Done() && input()) {
        }
    }
    if (!ranOut) {
        Frame(form, shown.atClose);
    }
    shown.result = form.Result();
    shownList.push_back(std::move(shown));
    return form.Result();
}

} // namespace platform::headless
