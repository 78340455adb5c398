#include "backends/sdl/sdl_score_dialogs.h"

#include "backends/sdl/sdl_keys.h"
#include "backends/sdl/sdl_window.h"
#include "ui/dialog_painter.h"

#include <cstdio>

namespace platform::sdl {

namespace {

ui::KeyMods ModsOf(Uint16 mod) {
    return {(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_ALT) != 0};
}

class FormOverlay : public SdlOverlay {
public:
    FormOverlay(ui::DialogForm& form, const SdlWindow& main, const std::function<bool()>& finished)
        : m_form(form), m_main(main), m_finished(finished),
          m_client(
              ui::DialogPainter::Place(form, main.GetCanvasSize().cx, main.GetCanvasSize().cy)) {}

    bool Done() const override {
        if (!m_form.Ended() && m_finished && m_finished()) {
            m_form.EndDialog(ui::kDialogOk);
        }
        return m_form.Ended();
    }

    void OnInput(const SDL_Event& event) override {
        switch (event.type) {
        case SDL_KEYDOWN:
            if (const int vk = VirtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym,
                                                 event.key.keysym.mod)) {
                m_form.KeyDown(vk, ModsOf(event.key.keysym.mod));
            }
            break;
        case SDL_TEXTINPUT:
            m_form.TextInput(event.text.text);
            break;
        case SDL_TEXTEDITING:
            m_form.Composition(event.edit.text, event.edit.start);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                m_form.MouseDown(event.button.x - m_client.left, event.button.y - m_client.top);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                m_form.MouseUp(event.button.x - m_client.left, event.button.y - m_client.top);
            }
            break;
        case SDL_MOUSEWHEEL:
            m_form.Wheel(event.wheel.y);
            break;
        default:
            // Key releases belong to the dialog too: none reaches the game.
            break;
        }
        FollowFocus();
    }

    void OnKeyDown(int vk, ui::KeyMods mods) override {
        m_form.KeyDown(vk, mods);
        FollowFocus();
    }

    void OnClose() override { m_form.Cancel(); }
    bool TakeDirty() override { return m_form.TakeDirty(); }

    void PaintOver(ui::Canvas& frame) override {
        m_painter.Paint(m_form, frame, m_client);
        const ui::Rect caret = m_painter.CaretRect();
        if (caret.Width() > 0 && !(caret == m_inputRect)) {
            // The input method's candidates open next to the caret, wherever
            // the enlarged window shows it.
            m_inputRect = caret;
            const ui::Rect shown = m_main.Scaling().ToWindow(caret);
            SDL_Rect r{shown.left, shown.top, shown.Width(), shown.Height()};
            SDL_SetTextInputRect(&r);
        }
    }

    // Text input is on while the name field has the focus, so the input
    // method only steps in where something can be written.
    void FollowFocus() {
        const int focus = m_form.FocusIndex();
        const bool edit = focus >= 0 &&
                          m_form.Controls()[focus].layout.kind == ui::DialogControl::Kind::Edit &&
                          !m_form.Ended();
        if (edit && !SDL_IsTextInputActive()) {
            SDL_StartTextInput();
        } else if (!edit && SDL_IsTextInputActive()) {
            SDL_StopTextInput();
        }
    }

private:
    ui::DialogForm& m_form;
    const SdlWindow& m_main;
    const std::function<bool()>& m_finished;
    ui::Rect m_client;
    ui::Rect m_inputRect;
    ui::DialogPainter m_painter;
};

} // namespace

int SdlScoreDialogs::RunModal(ui::DialogForm& form) {
    return Run(form, nullptr);
}

int SdlScoreDialogs::RunUntil(ui::DialogForm& form, const std::function<bool()>& finished) {
    return Run(form, finished);
}

int SdlScoreDialogs::Run(ui::DialogForm& form, const std::function<bool()>& finished) {
    SdlWindow* main = m_windows.Main();
    if (!main || !main->Handle()) {
        std::fprintf(stderr, "kirikazeJ: no main window to show \"%s\" over\n",
                     form.Template().title.c_str());
        return ui::kDialogCancel;
    }
    // A prompt opened from within another dialog's wait gives the text input
    // back as that dialog's focus had it.
    const bool textInput = SDL_IsTextInputActive();
    FormOverlay overlay(form, *main, finished);
    form.Open();
    overlay.FollowFocus();
    main->RunOverlay(overlay);
    if (textInput) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
    return form.Result();
}

} // namespace platform::sdl
