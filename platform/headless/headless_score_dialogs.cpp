#include "platform/headless/headless_score_dialogs.h"

namespace platform::headless {

namespace {
constexpr int kWidthWithoutWindow = 732;
constexpr int kHeightWithoutWindow = 570;
} // namespace

void HeadlessScoreDialogs::Frame(const DialogForm& form,
                                 std::vector<DialogPainter::DrawnText>& drawn) {
    HeadlessWindow* window = m_windows.Current();
    Canvas frame(window ? window->GetCanvas().Width() : kWidthWithoutWindow,
                 window ? window->GetCanvas().Height() : kHeightWithoutWindow);
    if (window) {
        frame.Copy(window->GetCanvas().Pixels(), 0, 0);
    }
    m_painter.Paint(form, frame, DialogPainter::Place(form, frame.Width(), frame.Height()));
    drawn = m_painter.Drawn();
}

void HeadlessScoreDialogs::Play(DialogForm& form, const Step& step) {
    switch (step.kind) {
    case Step::Kind::Key:
        form.KeyDown(step.value, step.mods);
        break;
    case Step::Kind::Text:
        form.TextInput(step.text);
        break;
    case Step::Kind::Compose:
        form.Composition(step.text, static_cast<int>(step.text.size()));
        break;
    case Step::Kind::Ticks:
        if (HeadlessWindow* window = m_windows.Current()) {
            window->Ticks(step.value);
        }
        break;
    case Step::Kind::Click:
        for (int i = 0; i < static_cast<int>(form.Controls().size()); ++i) {
            if (form.Controls()[i].layout.id == step.value) {
                const Rect r = form.FieldRect(i);
                form.MouseDown((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                form.MouseUp((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                break;
            }
        }
        break;
    case Step::Kind::Close:
        form.Cancel();
        if (HeadlessWindow* window = m_windows.Current()) {
            window->Close();
        }
        break;
    case Step::Kind::Call:
        if (step.call) {
            step.call(form);
        }
        break;
    case Step::Kind::Pad: {
        // Pressed and let go while the dialog listens: the press is its key.
        if (!m_windows.Pads().Connected(0)) {
            break;
        }
        PadKeys& keys = m_windows.Pads().Keys();
        if (const PadKey key = keys.Button(0, step.input, true, PadTarget::Dialog); key.vk) {
            form.KeyDown(key.vk, key.mods);
        }
        keys.Button(0, step.input, false, PadTarget::Dialog);
        break;
    }
    }
}

int HeadlessScoreDialogs::RunModal(DialogForm& form) {
    std::vector<Step> script;
    if (!m_scripts.empty()) {
        script = std::move(m_scripts.front());
        m_scripts.pop_front();
    }
    Shown shown;
    shown.title = form.Template().title;
    form.Open();
    shown.focusAtOpen = form.GetFocus();
    Frame(form, shown.atOpen);
    for (size_t i = 0; i < script.size() && !form.Ended(); ++i) {
        Play(form, script[i]);
    }
    Frame(form, shown.atClose);
    if (!form.Ended()) {
        shown.scriptRanOut = true;
        form.Cancel();
    }
    shown.result = form.Result();
    m_shown.push_back(std::move(shown));
    return form.Result();
}

} // namespace platform::headless
