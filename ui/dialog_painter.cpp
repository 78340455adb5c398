#include "ui/dialog_painter.h"

#include <algorithm>

namespace ui {

namespace {

using Kind = DialogControl::Kind;

constexpr int kBorder = 3;
constexpr platform::Color kFrameFace = platform::Rgb(0xD4, 0xD0, 0xC8);
constexpr platform::Color kFrameEdge = platform::Rgb(0x40, 0x40, 0x40);
constexpr platform::Color kCaptionBack = platform::Rgb(0x0A, 0x24, 0x6A);
constexpr platform::Color kCaptionText = platform::Rgb(0xFF, 0xFF, 0xFF);
constexpr platform::Color kFieldBack = platform::Rgb(0xFF, 0xFF, 0xFF);
constexpr platform::Color kFieldText = platform::Rgb(0x00, 0x00, 0x00);
constexpr platform::Color kFieldEdge = platform::Rgb(0x7A, 0x7A, 0x7A);
constexpr platform::Color kFocusEdge = platform::Rgb(0x00, 0x78, 0xD7);
constexpr platform::Color kHighlightBack = platform::Rgb(0x00, 0x78, 0xD7);
constexpr platform::Color kHighlightText = platform::Rgb(0xFF, 0xFF, 0xFF);
constexpr platform::Color kLabelText = platform::Rgb(0x00, 0x00, 0x00);
constexpr platform::Color kLabelBack = platform::Rgb(0xF0, 0xF0, 0xF0);
constexpr platform::Color kButtonFace = platform::Rgb(0xE1, 0xE1, 0xE1);
constexpr platform::Color kButtonPressed = platform::Rgb(0xCC, 0xE4, 0xF7);
constexpr platform::Color kButtonEdge = platform::Rgb(0xAD, 0xAD, 0xAD);
constexpr platform::Color kArrow = platform::Rgb(0x20, 0x20, 0x20);

int CaptionHeight(const DialogForm& form) {
    return form.RowHeight() + 8;
}

Rect Offset(const Rect& r, const Rect& client) {
    return {r.left + client.left, r.top + client.top, r.right + client.left, r.bottom + client.top};
}

Rect Inset(const Rect& r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

Rect Intersect(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

void Outline(Canvas& target, const Rect& r, platform::Color color, int width = 1) {
    target.FillRect({r.left, r.top, r.right, r.top + width}, color);
    target.FillRect({r.left, r.bottom - width, r.right, r.bottom}, color);
    target.FillRect({r.left, r.top, r.left + width, r.bottom}, color);
    target.FillRect({r.right - width, r.top, r.right, r.bottom}, color);
}

// A dotted rectangle, the focus mark of a push button.
void FocusMark(Canvas& target, const Rect& r) {
    for (int x = r.left; x < r.right; x += 2) {
        target.FillRect({x, r.top, x + 1, r.top + 1}, kFieldText);
        target.FillRect({x, r.bottom - 1, x + 1, r.bottom}, kFieldText);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        target.FillRect({r.left, y, r.left + 1, y + 1}, kFieldText);
        target.FillRect({r.right - 1, y, r.right, y + 1}, kFieldText);
    }
}

// The small downward triangle of a drop-down button.
void DownArrow(Canvas& target, const Rect& button) {
    const int cx = (button.left + button.right) / 2;
    const int cy = (button.top + button.bottom) / 2 - 2;
    for (int row = 0; row < 4; ++row) {
        target.FillRect({cx - 4 + row, cy + row, cx + 4 - row, cy + row + 1}, kArrow);
    }
}

int VerticalCentre(const Rect& r, const platform::Font& font) {
    return r.top + (r.Height() - std::max(font.LineHeight(), font.PixelHeight())) / 2;
}

} // namespace

Rect DialogPainter::Place(const DialogForm& form, int targetWidth, int targetHeight) {
    const DialogTemplate& t = form.Template();
    const int frameWidth = t.width + 2 * kBorder;
    const int frameHeight = t.height + CaptionHeight(form) + 2 * kBorder;
    const int left = std::max(0, (targetWidth - frameWidth) / 2) + kBorder;
    const int top = std::max(0, (targetHeight - frameHeight) / 2) + kBorder + CaptionHeight(form);
    return {left, top, left + t.width, top + t.height};
}

Rect DialogPainter::Frame(const DialogForm& form, const Rect& client) {
    return {client.left - kBorder, client.top - kBorder - CaptionHeight(form),
            client.right + kBorder, client.bottom + kBorder};
}

int DialogPainter::TextWidth(const platform::Font& font, const std::string& text) const {
    return text.empty() ? 0 : font.Render(text, 0, 0).width;
}

void DialogPainter::DrawText(Canvas& target, const platform::Font& font, const Rect& clip, int x,
                             int y, const std::string& text, platform::Color fg,
                             platform::Color bg) {
    if (text.empty()) {
        return;
    }
    m_drawn.push_back({text, clip, x, y, fg, bg});
    const platform::PixelImage image = font.Render(text, fg, bg);
    const Rect shown = Intersect({x, y, x + image.width, y + image.height}, clip);
    if (image.Empty() || shown.Width() <= 0 || shown.Height() <= 0) {
        return;
    }
    const Rect source{shown.left - x, shown.top - y, shown.right - x, shown.bottom - y};
    target.Stretch(image, source, shown);
}

void DialogPainter::Paint(const DialogForm& form, Canvas& target, const Rect& client) {
    m_drawn.clear();
    m_caret = {};
    const DialogTemplate& t = form.Template();
    const platform::Font& font = form.GetFont();

    const Rect frame = Frame(form, client);
    target.FillRect(frame, kFrameFace);
    Outline(target, frame, kFrameEdge);
    const Rect caption{client.left, frame.top + kBorder, client.right, client.top};
    target.FillRect(caption, kCaptionBack);
    DrawText(target, font, caption, caption.left + 4, VerticalCentre(caption, font), t.title,
             kCaptionText, kCaptionBack);
    target.FillRect(client, t.background);

    const auto& controls = form.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const auto& control = controls[i];
        const bool focused = form.FocusIndex() == static_cast<int>(i);
        const Rect r = Offset(control.layout.rect, client);
        switch (control.layout.kind) {
        case Kind::Label:
            DrawText(target, font, r, r.left, r.top, control.text, kLabelText, kLabelBack);
            break;
        case Kind::Edit:
            PaintEdit(form, control, focused, target, client);
            break;
        case Kind::DropList:
            PaintList(form, static_cast<int>(i), focused, target, client);
            break;
        case Kind::Button:
            PaintButton(form, static_cast<int>(i), focused, target, client);
            break;
        }
    }
    // The open list lies over everything else, even beyond the dialog.
    if (form.DropOpen() && form.FocusIndex() >= 0) {
        PaintDrop(form, form.FocusIndex(), target, client);
    }
}

void DialogPainter::PaintEdit(const DialogForm& form, const DialogForm::Control& edit, bool focused,
                              Canvas& target, const Rect& client) {
    const platform::Font& font = form.GetFont();
    const Rect r = Offset(edit.layout.rect, client);
    target.FillRect(r, kFieldBack);
    Outline(target, r, focused ? kFocusEdge : kFieldEdge);
    const Rect inner = Inset(r, 3);
    const int y = VerticalCentre(r, font);

    // What is shown: the text with the input method's composition at the caret.
    // A password shows only marks, its composition too.
    const auto shown = [&edit](const std::string& text) {
        return edit.layout.masked ? DialogForm::Masked(text) : text;
    };
    const size_t caret = focused ? std::min(form.Caret(), edit.text.size()) : edit.text.size();
    const std::string composing = focused ? shown(form.CompositionText()) : std::string();
    const std::string head = shown(edit.text.substr(0, caret));
    const std::string tail = shown(edit.text.substr(caret));
    const int headWidth = TextWidth(font, head);
    const int composeWidth = TextWidth(font, composing);

    // Auto horizontal scroll: the caret always stays inside the field.
    const int caretX = headWidth + composeWidth;
    if (!focused) {
        m_editScroll = 0;
    } else if (caretX - m_editScroll > inner.Width() - 1) {
        m_editScroll = caretX - inner.Width() + 1;
    } else if (caretX < m_editScroll) {
        m_editScroll = caretX;
    }
    const int x0 = inner.left - m_editScroll;

    if (focused && form.AllSelected() && !edit.text.empty()) {
        DrawText(target, font, inner, x0, y, head + tail, kHighlightText, kHighlightBack);
    } else {
        DrawText(target, font, inner, x0, y, head, kFieldText, kFieldBack);
        DrawText(target, font, inner, x0 + headWidth, y, composing, kFieldText, kFieldBack);
        DrawText(target, font, inner, x0 + headWidth + composeWidth, y, tail, kFieldText,
                 kFieldBack);
    }
    const int lineHeight = std::max(font.LineHeight(), font.PixelHeight());
    if (!composing.empty()) {
        // The text still being composed is underlined, as input methods show it.
        target.FillRect(Intersect({x0 + headWidth, y + lineHeight - 1,
                                   x0 + headWidth + composeWidth, y + lineHeight},
                                  inner),
                        kFieldText);
    }
    if (focused) {
        m_caret = {x0 + caretX, y, x0 + caretX + 1, y + lineHeight};
        target.FillRect(Intersect(m_caret, inner), kFieldText);
    }
}

void DialogPainter::PaintList(const DialogForm& form, int index, bool focused, Canvas& target,
                              const Rect& client) {
    const platform::Font& font = form.GetFont();
    const auto& list = form.Controls()[index];
    const Rect field = Offset(form.FieldRect(index), client);
    target.FillRect(field, kFieldBack);
    Outline(target, field, focused ? kFocusEdge : kFieldEdge);
    const int arrowWidth = field.Height();
    const Rect arrow{field.right - arrowWidth, field.top + 1, field.right - 1, field.bottom - 1};
    target.FillRect(arrow, kButtonFace);
    DownArrow(target, arrow);

    const Rect text{field.left + 2, field.top + 2, arrow.left - 1, field.bottom - 2};
    if (list.selected < 0) {
        if (focused) {
            target.FillRect(text, kHighlightBack);
        }
        return;
    }
    const platform::Color fg = focused ? kHighlightText : kFieldText;
    const platform::Color bg = focused ? kHighlightBack : kFieldBack;
    target.FillRect(text, bg);
    DrawText(target, font, text, text.left + 2, VerticalCentre(text, font),
             list.items[list.selected], fg, bg);
}

void DialogPainter::PaintDrop(const DialogForm& form, int index, Canvas& target,
                              const Rect& client) {
    const platform::Font& font = form.GetFont();
    const auto& list = form.Controls()[index];
    const Rect box = Offset(form.DropListRect(index), client);
    target.FillRect(box, kFieldBack);
    Outline(target, box, kFieldEdge);
    const int rowHeight = form.RowHeight();
    const int rows = form.DropRows(index);
    const int count = static_cast<int>(list.items.size());
    for (int row = 0; row < rows && form.DropTop() + row < count; ++row) {
        const int item = form.DropTop() + row;
        const Rect r{box.left + 1, box.top + 1 + row * rowHeight, box.right - 5,
                     box.top + 1 + (row + 1) * rowHeight};
        const bool lit = item == form.DropHighlight();
        target.FillRect(r, lit ? kHighlightBack : kFieldBack);
        DrawText(target, font, r, r.left + 2, r.top + 1, list.items[item],
                 lit ? kHighlightText : kFieldText, lit ? kHighlightBack : kFieldBack);
    }
    // Where the shown rows stand in the whole list.
    if (count > rows) {
        const int track = box.Height() - 2;
        const int thumbTop = box.top + 1 + track * form.DropTop() / count;
        const int thumbHeight = std::max(4, track * rows / count);
        target.FillRect({box.right - 4, thumbTop, box.right - 1, thumbTop + thumbHeight},
                        kButtonEdge);
    }
}

void DialogPainter::PaintButton(const DialogForm& form, int index, bool focused, Canvas& target,
                                const Rect& client) {
    const platform::Font& font = form.GetFont();
    const auto& button = form.Controls()[index];
    const Rect r = Offset(button.layout.rect, client);
    const bool pressed = form.PressedIndex() == index;
    target.FillRect(r, pressed ? kButtonPressed : kButtonFace);
    // The default button carries the strong edge, as Enter presses it.
    const bool isDefault = button.layout.defaultButton;
    Outline(target, r, isDefault || focused ? kFocusEdge : kButtonEdge, isDefault ? 2 : 1);
    const int width = TextWidth(font, button.text);
    DrawText(target, font, Inset(r, 2), r.left + (r.Width() - width) / 2, VerticalCentre(r, font),
             button.text, kFieldText, pressed ? kButtonPressed : kButtonFace);
    if (focused) {
        FocusMark(target, Inset(r, 3));
    }
}

} // namespace ui
