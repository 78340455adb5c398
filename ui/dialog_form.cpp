#include "ui/dialog_form.h"
#include "text/ascii.h"
#include "text/utf8.h"

#include "platform/keys.h"
#include "platform/speech.h"

#include <algorithm>
#include <cctype>

namespace ui {

namespace {

constexpr char kMask[] = "●";

// Rows an open drop-down list shows at once, and how far Page Up/Down go.
constexpr int kDropRows = 8;

using Kind = DialogControl::Kind;
using text::CountChars;
using text::NextChar;
using text::PrevChar;

// Control characters never become part of a name.
std::string Printable(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            continue;
        }
        // C1 controls (U+0080..U+009F) are two bytes: C2 80..9F.
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            ++i;
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

// The first characters that fit in the limit.
std::string Limit(const std::string& text, size_t maxChars) {
    size_t pos = 0;
    for (size_t n = 0; n < maxChars && pos < text.size(); ++n) {
        pos = NextChar(text, pos);
    }
    return text.substr(0, pos);
}

bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

DialogForm::DialogForm(DialogTemplate dialogTemplate, DialogHandler* handler)
    : m_template(std::move(dialogTemplate)), m_handler(handler),
      m_font(std::make_unique<platform::Font>(m_template.fontTenthsOfPoint, m_template.fontFace)) {
    for (const DialogControl& layout : m_template.controls) {
        Control control;
        control.layout = layout;
        if (layout.kind == Kind::Label || layout.kind == Kind::Button) {
            control.text = layout.text;
        }
        m_controls.push_back(std::move(control));
    }
}

DialogForm::~DialogForm() = default;

int DialogForm::IndexOf(int id) const {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].layout.id == id && id != -1) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DialogForm::Control* DialogForm::Find(int id) {
    const int index = IndexOf(id);
    return index < 0 ? nullptr : &m_controls[index];
}

const DialogForm::Control* DialogForm::Find(int id) const {
    const int index = IndexOf(id);
    return index < 0 ? nullptr : &m_controls[index];
}

void DialogForm::SetWindowText(int id, const std::string& text) {
    Control* control = Find(id);
    if (!control || control->layout.kind == Kind::DropList) {
        return;
    }
    control->text = Printable(text);
    if (control->layout.kind == Kind::Edit) {
        if (control->layout.maxChars > 0) {
            control->text = Limit(control->text, control->layout.maxChars);
        }
        if (IndexOf(id) == m_focus) {
            m_caret = control->text.size();
        }
    }
    Changed();
}

std::string DialogForm::GetWindowText(int id) const {
    const Control* control = Find(id);
    if (!control) {
        return {};
    }
    if (control->layout.kind == Kind::DropList) {
        return control->selected < 0 ? std::string() : control->items[control->selected];
    }
    return control->text;
}

int DialogForm::AddString(int id, const std::string& item) {
    Control* control = Find(id);
    if (!control || control->layout.kind != Kind::DropList) {
        return -1;
    }
    control->items.push_back(item);
    Changed();
    return static_cast<int>(control->items.size()) - 1;
}

int DialogForm::GetCount(int id) const {
    const Control* control = Find(id);
    return control ? static_cast<int>(control->items.size()) : 0;
}

std::string DialogForm::GetLBText(int id, int index) const {
    const Control* control = Find(id);
    if (!control || index < 0 || index >= static_cast<int>(control->items.size())) {
        return {};
    }
    return control->items[index];
}

void DialogForm::SetCurSel(int id, int index) {
    Control* control = Find(id);
    if (!control || control->layout.kind != Kind::DropList) {
        return;
    }
    control->selected = index >= 0 && index < static_cast<int>(control->items.size()) ? index : -1;
    Changed();
}

int DialogForm::GetCurSel(int id) const {
    const Control* control = Find(id);
    return control ? control->selected : -1;
}

void DialogForm::SetFocus(int id) {
    const int index = IndexOf(id);
    if (index >= 0) {
        MoveFocus(index);
    }
}

int DialogForm::GetFocus() const {
    return m_focus < 0 ? -1 : m_controls[m_focus].layout.id;
}

void DialogForm::EndDialog(int result) {
    m_ended = true;
    m_result = result;
    Changed();
}

std::string DialogForm::Describe(int index) const {
    if (index < 0 || index >= static_cast<int>(m_controls.size())) {
        return {};
    }
    const Control& control = m_controls[index];
    // A control is named by the label just before it, as the template pairs them.
    std::string label;
    for (int i = index - 1; i >= 0; --i) {
        if (m_controls[i].layout.kind == Kind::Label) {
            label = m_controls[i].text + " ";
            break;
        }
        if (m_controls[i].layout.tabStop) {
            break;
        }
    }
    const DialogWords& words = m_template.words;
    switch (control.layout.kind) {
    case Kind::Edit:
        if (control.layout.masked && !control.text.empty()) {
            return label + words.editRole + " " + std::to_string(CountChars(control.text)) +
                   words.characters;
        }
        return label + words.editRole + " " +
               (control.text.empty() ? words.emptyEdit : control.text);
    case Kind::DropList:
        return label + words.listRole + " " +
               (control.selected < 0 ? words.nothingSelected : control.items[control.selected]);
    case Kind::Button:
        return control.text + " " + words.buttonRole;
    case Kind::Label:
        return control.text;
    }
    return {};
}

void DialogForm::Open() {
    m_opened = true;
    if (m_focus < 0) {
        for (size_t i = 0; i < m_controls.size(); ++i) {
            if (m_controls[i].layout.tabStop) {
                m_focus = static_cast<int>(i);
                break;
            }
        }
        if (m_focus >= 0 && m_controls[m_focus].layout.kind == Kind::Edit) {
            m_caret = m_controls[m_focus].text.size();
            m_allSelected = true;
        }
    }
    // What was being said gives way to the first of these; a message box
    // without a caption starts with its text.
    bool interrupt = true;
    auto say = [&interrupt](const std::string& text) {
        if (!text.empty()) {
            platform::Speak(text, interrupt);
            interrupt = false;
        }
    };
    say(m_template.title);
    for (const Control& control : m_controls) {
        if (control.layout.spoken) {
            say(control.text);
        }
    }
    say(Describe(m_focus));
    Changed();
}

void DialogForm::MoveFocus(int index) {
    if (m_dropOpen) {
        CloseDrop(true);
    }
    m_focus = index;
    m_composition.clear();
    m_allSelected = false;
    if (m_controls[index].layout.kind == Kind::Edit) {
        // Coming into an edit selects what it holds, so typing replaces it.
        m_caret = m_controls[index].text.size();
        m_allSelected = true;
    }
    if (m_opened) {
        platform::Speak(Describe(index), true);
    }
    Changed();
}

void DialogForm::Tab(bool back) {
    const int count = static_cast<int>(m_controls.size());
    for (int step = 1; step <= count; ++step) {
        const int i =
            ((m_focus < 0 ? (back ? 0 : -1) : m_focus) + (back ? -step : step) + count) % count;
        if (m_controls[i].layout.tabStop) {
            MoveFocus(i);
            return;
        }
    }
}

void DialogForm::Press(int id) {
    if (m_handler) {
        m_handler->OnCommand(*this, id);
    } else {
        EndDialog(id);
    }
}

int DialogForm::ButtonIndex(int id) const {
    const int index = IndexOf(id);
    return index >= 0 && m_controls[index].layout.kind == Kind::Button ? index : -1;
}

void DialogForm::Enter() {
    if (m_focus >= 0 && m_controls[m_focus].layout.kind == Kind::Button) {
        Press(m_controls[m_focus].layout.id);
        return;
    }
    for (const Control& control : m_controls) {
        if (control.layout.kind == Kind::Button && control.layout.defaultButton) {
            Press(control.layout.id);
            return;
        }
    }
}

void DialogForm::Escape() {
    // A dialog without a cancel button still closes on Escape, as cancelled.
    if (ButtonIndex(kDialogCancel) >= 0) {
        Press(kDialogCancel);
    } else {
        EndDialog(kDialogCancel);
    }
}

void DialogForm::Cancel() {
    m_composition.clear();
    m_dropOpen = false;
    Escape();
    // However the game answers the cancel button, a closed window is gone.
    if (!m_ended) {
        EndDialog(kDialogCancel);
    }
}

void DialogForm::KeyDown(int vk, KeyMods mods) {
    // The input method owns the keys while it composes.
    if (m_ended || !m_composition.empty()) {
        return;
    }
    Control* focused = m_focus >= 0 ? &m_controls[m_focus] : nullptr;
    if (focused && focused->layout.kind == Kind::DropList && ListKey(*focused, vk, mods)) {
        return;
    }
    if (focused && focused->layout.kind == Kind::Edit && EditKey(*focused, vk, mods)) {
        return;
    }
    switch (vk) {
    case VK_TAB:
        Tab(mods.shift);
        break;
    case VK_RETURN:
        Enter();
        break;
    case VK_ESCAPE:
        Escape();
        break;
    case VK_SPACE:
        if (focused && focused->layout.kind == Kind::Button) {
            Press(focused->layout.id);
        }
        break;
    default:
        break;
    }
}

bool DialogForm::EditKey(Control& edit, int vk, KeyMods mods) {
    std::string& text = edit.text;
    const size_t before = m_caret;
    switch (vk) {
    case VK_LEFT:
        m_caret = m_allSelected ? 0 : PrevChar(text, m_caret);
        break;
    case VK_RIGHT:
        m_caret = m_allSelected ? text.size() : NextChar(text, m_caret);
        break;
    case VK_HOME:
        m_caret = 0;
        break;
    case VK_END:
        m_caret = text.size();
        break;
    case VK_BACK:
    case VK_DELETE: {
        size_t from = vk == VK_BACK ? PrevChar(text, m_caret) : m_caret;
        size_t to = vk == VK_BACK ? m_caret : NextChar(text, m_caret);
        if (m_allSelected) {
            from = 0;
            to = text.size();
        }
        if (from == to) {
            return true;
        }
        const std::string gone = text.substr(from, to - from);
        text.erase(from, to - from);
        m_caret = from;
        m_allSelected = false;
        SpeakEdit(edit, gone);
        Changed();
        return true;
    }
    case 'A':
        if (!mods.ctrl) {
            return false;
        }
        m_allSelected = true;
        m_caret = text.size();
        if (edit.layout.masked) {
            platform::Speak(Describe(m_focus), true);
        } else {
            platform::Speak(text.empty() ? m_template.words.emptyEdit : text, true);
        }
        Changed();
        return true;
    default:
        return false;
    }
    m_allSelected = false;
    // Moving over a character says it; Home and End say nothing new.
    if ((vk == VK_LEFT || vk == VK_RIGHT) && m_caret != before) {
        const size_t from = std::min(before, m_caret);
        const size_t to = std::max(before, m_caret);
        SpeakEdit(edit, text.substr(from, to - from));
    }
    Changed();
    return true;
}

void DialogForm::TextInput(const std::string& utf8) {
    if (m_ended || m_focus < 0 || m_controls[m_focus].layout.kind != Kind::Edit) {
        return;
    }
    Control& edit = m_controls[m_focus];
    std::string typed = Printable(utf8);
    m_composition.clear();
    if (m_allSelected) {
        edit.text.clear();
        m_caret = 0;
        m_allSelected = false;
    }
    if (edit.layout.maxChars > 0) {
        const size_t room = static_cast<size_t>(edit.layout.maxChars) -
                            std::min(CountChars(edit.text), size_t(edit.layout.maxChars));
        typed = Limit(typed, room);
    }
    Changed();
    if (typed.empty()) {
        return;
    }
    edit.text.insert(m_caret, typed);
    m_caret += typed.size();
    SpeakEdit(edit, typed);
}

void DialogForm::Composition(const std::string& utf8, int cursor) {
    if (m_ended || m_focus < 0 || m_controls[m_focus].layout.kind != Kind::Edit) {
        return;
    }
    m_composition = utf8;
    m_compositionCursor = std::max(0, cursor);
    Changed();
}

std::string DialogForm::Masked(const std::string& text) {
    std::string marks;
    for (size_t n = CountChars(text); n > 0; --n) {
        marks += kMask;
    }
    return marks;
}

void DialogForm::SpeakEdit(const Control& edit, const std::string& part) {
    // A password is not read out to whoever sits nearby, not even a letter.
    if (!edit.layout.masked) {
        platform::Speak(part, true);
    }
}

bool DialogForm::ListKey(Control& list, int vk, KeyMods mods) {
    const int count = static_cast<int>(list.items.size());
    const int current = m_dropOpen ? m_dropHighlight : list.selected;
    int next = current;
    if ((vk == VK_DOWN || vk == VK_UP) && mods.alt) {
        m_dropOpen ? CloseDrop(true) : OpenDrop(list);
        return true;
    }
    switch (vk) {
    case VK_F4:
        m_dropOpen ? CloseDrop(true) : OpenDrop(list);
        return true;
    case VK_RETURN:
        if (!m_dropOpen) {
            return false;
        }
        CloseDrop(true);
        return true;
    case VK_ESCAPE:
        if (!m_dropOpen) {
            return false;
        }
        CloseDrop(false);
        return true;
    case VK_DOWN:
        next = current < 0 ? 0 : std::min(current + 1, count - 1);
        break;
    case VK_UP:
        next = current < 0 ? 0 : std::max(current - 1, 0);
        break;
    case VK_NEXT:
        next = current < 0 ? 0 : std::min(current + kDropRows - 1, count - 1);
        break;
    case VK_PRIOR:
        next = current < 0 ? 0 : std::max(current - (kDropRows - 1), 0);
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = count - 1;
        break;
    default: {
        const bool letter = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
        if (!letter || mods.ctrl || mods.alt) {
            return false;
        }
        // The next entry after the current one that starts with the letter,
        // round the end of the list.
        for (int step = 1; step <= count; ++step) {
            const int i = ((current < 0 ? -1 : current) + step) % count;
            if (!list.items[i].empty() &&
                text::AsciiUpper(list.items[i][0]) == static_cast<char>(vk)) {
                next = i;
                break;
            }
        }
        break;
    }
    }
    if (count == 0 || next < 0) {
        return true;
    }
    if (m_dropOpen) {
        if (next != m_dropHighlight) {
            m_dropHighlight = next;
            ShowRow(next);
            platform::Speak(list.items[next], true);
            Changed();
        }
    } else {
        Select(list, next);
    }
    return true;
}

void DialogForm::Select(Control& list, int index) {
    if (index == list.selected || index < 0 || index >= static_cast<int>(list.items.size())) {
        return;
    }
    list.selected = index;
    platform::Speak(list.items[index], true);
    Changed();
}

void DialogForm::OpenDrop(Control& list) {
    m_dropOpen = true;
    m_dropHighlight = list.selected;
    m_dropTop = 0;
    ShowRow(std::max(list.selected, 0));
    Changed();
}

void DialogForm::CloseDrop(bool commit) {
    if (!m_dropOpen) {
        return;
    }
    m_dropOpen = false;
    Control& list = m_controls[m_focus];
    if (commit && m_dropHighlight >= 0) {
        Select(list, m_dropHighlight);
    } else if (!commit && m_dropHighlight != list.selected) {
        // What was chosen before the list opened stands, and is said again.
        platform::Speak(Describe(m_focus), true);
    }
    m_dropHighlight = -1;
    Changed();
}

void DialogForm::ShowRow(int row) {
    const int rows = DropRows(m_focus);
    if (row < m_dropTop) {
        m_dropTop = row;
    } else if (row >= m_dropTop + rows) {
        m_dropTop = row - rows + 1;
    }
}

int DialogForm::RowHeight() const {
    return std::max(m_font->LineHeight(), m_font->PixelHeight()) + 2;
}

Rect DialogForm::FieldRect(int index) const {
    const Rect r = m_controls[index].layout.rect;
    if (m_controls[index].layout.kind != Kind::DropList) {
        return r;
    }
    // A drop-down list's template height counts its open list too.
    return {r.left, r.top, r.right, r.top + std::min(r.Height(), RowHeight() + 6)};
}

int DialogForm::DropRows(int index) const {
    if (index < 0) {
        return kDropRows;
    }
    const int count = static_cast<int>(m_controls[index].items.size());
    return std::max(1, std::min(kDropRows, count));
}

Rect DialogForm::DropListRect(int index) const {
    const Rect field = FieldRect(index);
    return {field.left, field.bottom, field.right,
            field.bottom + DropRows(index) * RowHeight() + 2};
}

void DialogForm::MouseDown(int x, int y) {
    if (m_ended || !m_composition.empty()) {
        return;
    }
    if (m_dropOpen) {
        const Rect list = DropListRect(m_focus);
        if (Inside(list, x, y)) {
            const int row = m_dropTop + (y - list.top - 1) / RowHeight();
            if (row >= 0 && row < static_cast<int>(m_controls[m_focus].items.size())) {
                m_dropHighlight = row;
            }
            CloseDrop(true);
            return;
        }
        const bool onField = Inside(FieldRect(m_focus), x, y);
        CloseDrop(false);
        if (onField) {
            return;
        }
    }
    for (size_t i = 0; i < m_controls.size(); ++i) {
        Control& control = m_controls[i];
        if (!control.layout.tabStop || !Inside(FieldRect(static_cast<int>(i)), x, y)) {
            continue;
        }
        if (m_focus != static_cast<int>(i)) {
            MoveFocus(static_cast<int>(i));
        }
        if (control.layout.kind == Kind::Edit) {
            m_allSelected = false;
            m_caret = control.text.size();
        } else if (control.layout.kind == Kind::DropList) {
            OpenDrop(control);
        } else if (control.layout.kind == Kind::Button) {
            m_pressed = static_cast<int>(i);
        }
        Changed();
        return;
    }
}

void DialogForm::MouseUp(int x, int y) {
    if (m_pressed < 0) {
        return;
    }
    const int pressed = m_pressed;
    m_pressed = -1;
    Changed();
    if (!m_ended && Inside(m_controls[pressed].layout.rect, x, y)) {
        Press(m_controls[pressed].layout.id);
    }
}

void DialogForm::Wheel(int steps) {
    if (!m_dropOpen || m_ended) {
        return;
    }
    const int count = static_cast<int>(m_controls[m_focus].items.size());
    const int rows = DropRows(m_focus);
    m_dropTop = std::clamp(m_dropTop - steps, 0, std::max(0, count - rows));
    Changed();
}

bool DialogForm::TakeDirty() {
    const bool dirty = m_dirty;
    m_dirty = false;
    return dirty;
}

} // namespace ui
