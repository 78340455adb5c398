#pragma once
#include "ui/canvas.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {

// The ids of the two standard buttons, and what a modal run returns for them.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

struct KeyMods {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// One control of a dialog template; its rectangle is in the dialog's client
// area, in pixels.
struct DialogControl {
    enum class Kind { Label, Edit, DropList, Button };
    Kind kind = Kind::Label;
    int id = -1;
    std::string text; // a label's or button's caption
    Rect rect;
    bool tabStop = false;
    bool defaultButton = false;
    int maxChars = 0; // an edit's limit in characters; 0 for none
    // A password edit: drawn as one mark per character and never spoken,
    // only how many characters it holds.
    bool masked = false;
    // A label said, after the title, as the dialog opens: a message's text.
    bool spoken = false;
};

// The words a dialog speaks its controls with, in the language of its texts;
// by default as a Japanese desktop's screen reader names the kinds of control.
struct DialogWords {
    const char* editRole = "エディット";
    const char* listRole = "コンボボックス";
    const char* buttonRole = "ボタン";
    const char* emptyEdit = "空欄";
    const char* nothingSelected = "選択なし";
    const char* characters = "文字"; // after a password's length
};

struct DialogTemplate {
    std::string title;
    int width = 0; // the client area
    int height = 0;
    int fontTenthsOfPoint = 90;
    std::string fontFace;
    platform::Color background = platform::Rgb(0xF0, 0xF0, 0xF0);
    std::vector<DialogControl> controls; // in tab order
    DialogWords words;
};

class DialogForm;

// The game's side of a dialog: what its buttons do.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // A button was pressed: by Enter (the default button unless a button has
    // the focus), Escape (the cancel button), Space on it, or a click.
    virtual void OnCommand(DialogForm& form, int id) = 0;
};

// A small modal dialog of our own widgets: labels, a one-line edit, a
// drop-down list and push buttons, worked by the keyboard as a desktop dialog
// is (Tab, Enter, Escape, the arrows, a first letter) or the mouse. It knows
// nothing of the screen: a backend feeds it input and draws it with
// DialogPainter. Every focus change, selection and typed text is spoken, so
// the dialog can be used without looking.
class DialogForm {
public:
    // Without a handler every button ends the dialog with its own id.
    explicit DialogForm(DialogTemplate dialogTemplate, DialogHandler* handler = nullptr);
    ~DialogForm();
    DialogForm(const DialogForm&) = delete;
    DialogForm& operator=(const DialogForm&) = delete;

    // The game's calls, by control id.
    void SetWindowText(int id, const std::string& text);
    // An edit's text; a drop-down list's selected entry ("" when none); a
    // label's or button's caption.
    std::string GetWindowText(int id) const;
    int AddString(int id, const std::string& item);
    int GetCount(int id) const;
    std::string GetLBText(int id, int index) const;
    // index -1 (or any index outside the list) selects nothing.
    void SetCurSel(int id, int index);
    int GetCurSel(int id) const;
    void SetFocus(int id);
    int GetFocus() const;
    void EndDialog(int result);
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }

    // The backend's calls.
    // The dialog appears: the first tab stop takes the focus unless the game
    // gave it to another control; the title, the spoken labels and the
    // focused control are said.
    void Open();
    void KeyDown(int vk, KeyMods mods = {});
    // Text committed by the keyboard or the input method.
    void TextInput(const std::string& utf8);
    // The input method's text still being composed, with its cursor in
    // characters; empty when composing ended. Keys wait while it is open.
    void Composition(const std::string& utf8, int cursor);
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void Wheel(int steps);
    // The window is being closed: as the cancel button.
    void Cancel();
    // True once after anything shown has changed.
    bool TakeDirty();

    // What the painter shows.
    struct Control {
        DialogControl layout;
        std::string text;
        std::vector<std::string> items;
        int selected = -1;
    };
    const DialogTemplate& Template() const { return m_template; }
    const std::vector<Control>& Controls() const { return m_controls; }
    const platform::Font& GetFont() const { return *m_font; }
    int FocusIndex() const { return m_focus; }
    size_t Caret() const { return m_caret; }
    bool AllSelected() const { return m_allSelected; }
    const std::string& CompositionText() const { return m_composition; }
    int CompositionCursor() const { return m_compositionCursor; }
    bool DropOpen() const { return m_dropOpen; }
    int DropHighlight() const { return m_dropHighlight; }
    int DropTop() const { return m_dropTop; }
    int PressedIndex() const { return m_pressed; }
    // Geometry shared by drawing and clicking.
    int RowHeight() const;
    Rect FieldRect(int index) const;
    Rect DropListRect(int index) const;
    int DropRows(int index) const;

    // The spoken description of a control: its label, its kind, its value.
    std::string Describe(int index) const;
    // What a masked edit shows for text: one mark per character.
    static std::string Masked(const std::string& text);

private:
    int IndexOf(int id) const;
    Control* Find(int id);
    const Control* Find(int id) const;
    void MoveFocus(int index);
    void Tab(bool back);
    void Press(int id);
    void Enter();
    void Escape();
    bool EditKey(Control& edit, int vk, KeyMods mods);
    bool ListKey(Control& list, int vk, KeyMods mods);
    void Select(Control& list, int index);
    void OpenDrop(Control& list);
    void CloseDrop(bool commit);
    void ShowRow(int row);
    int ButtonIndex(int id) const;
    void Changed() { m_dirty = true; }
    // Says part of an edit's text, unless the edit is masked.
    void SpeakEdit(const Control& edit, const std::string& part);

    DialogTemplate m_template;
    DialogHandler* m_handler;
    std::unique_ptr<platform::Font> m_font;
    std::vector<Control> m_controls;
    int m_focus = -1;
    bool m_opened = false;
    bool m_ended = false;
    int m_result = kDialogCancel;
    bool m_dirty = true;
    // The focused edit.
    size_t m_caret = 0; // a byte offset on a character boundary
    bool m_allSelected = false;
    std::string m_composition;
    int m_compositionCursor = 0;
    // The focused drop-down list while it is open.
    bool m_dropOpen = false;
    int m_dropHighlight = -1;
    int m_dropTop = 0;
    int m_pressed = -1; // a button held down by the mouse
};

} // namespace ui
