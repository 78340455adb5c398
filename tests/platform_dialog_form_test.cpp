// The dialog's own widgets, worked from the keyboard and the mouse as a
// player would, and what they show.
#include "platform/headless/headless_system.h"
#include "platform/keys.h"
#include "platform/score_dialog.h"
#include "ui/dialog_painter.h"

#include <gtest/gtest.h>

namespace {

using ui::DialogControl;
using ui::DialogForm;
using Kind = DialogControl::Kind;
using Step = platform::headless::HeadlessScoreDialogs::Step;

constexpr int kEdit = 10;
constexpr int kList = 20;
constexpr ui::KeyMods kShift{true, false, false};
constexpr ui::KeyMods kAlt{false, false, true};

ui::DialogTemplate TestTemplate() {
    ui::DialogTemplate t;
    t.title = "テスト";
    t.width = 300;
    t.height = 160;
    t.fontFace = "ＭＳ ＵＩ ゴシック";
    t.fontTenthsOfPoint = 110;
    t.background = platform::Rgb(0, 0, 0);
    auto add = [&t](Kind kind, int id, const char* text, ui::Rect rect, bool tabStop) {
        DialogControl c;
        c.kind = kind;
        c.id = id;
        c.text = text;
        c.rect = rect;
        c.tabStop = tabStop;
        t.controls.push_back(c);
        return &t.controls.back();
    };
    add(Kind::Label, -1, "名前", {10, 20, 60, 37}, false);
    add(Kind::Edit, kEdit, "", {80, 10, 280, 50}, true)->maxChars = 8;
    add(Kind::Label, -1, "地域", {10, 60, 60, 77}, false);
    add(Kind::DropList, kList, "", {80, 60, 280, 117}, true);
    add(Kind::Button, 1, "送信", {36, 125, 111, 147}, true)->defaultButton = true;
    add(Kind::Button, 2, "閉じる", {159, 125, 234, 147}, true);
    return t;
}

const char* const kItems[] = {"Alpha",   "Beta", "Bravo", "Charlie", "Delta",  "Echo",
                              "Foxtrot", "Golf", "Hotel", "India",   "Juliett"};

struct Outcome {
    bool ended;
    int result;
    std::string text;
    int selected;
    int focus;
};

// Plays the steps on a fresh dialog; a dialog the steps leave open is then
// closed as if by Escape, which changes nothing the outcome looks at.
Outcome Play(const std::vector<Step>& steps, const std::string& name, int selected) {
    platform::headless::HeadlessSystem system;
    DialogForm form(TestTemplate());
    form.SetWindowText(kEdit, name);
    for (const char* item : kItems) {
        form.AddString(kList, item);
    }
    form.SetCurSel(kList, selected);
    system.ScoreDialogs().AddScript(steps);
    const int result = platform::RunScoreDialog(form);
    const bool endedBySteps = !system.ScoreDialogs().Dialogs().at(0).scriptRanOut;
    return {endedBySteps, result, form.GetWindowText(kEdit), form.GetCurSel(kList),
            form.GetFocus()};
}

TEST(DialogForm, KeysWorkItAsADesktopDialog) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        Outcome expected;
        std::string name = "abc";
        int selected = 0;
    };
    const Case cases[] = {
        {"Enter in the edit presses the default button",
         {Step::Key(VK_RETURN)},
         {true, 1, "abc", 0, kEdit}},
        {"Escape cancels", {Step::Key(VK_ESCAPE)}, {true, 2, "abc", 0, kEdit}},
        {"Tab goes round the tab stops",
         {Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_TAB)},
         {false, 2, "abc", 0, kEdit}},
        {"Shift+Tab goes back round", {Step::Key(VK_TAB, kShift)}, {false, 2, "abc", 0, 2}},
        {"Enter on a button presses that one",
         {Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_RETURN)},
         {true, 2, "abc", 0, 2}},
        {"Space presses the focused button",
         {Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_SPACE)},
         {true, 1, "abc", 0, 1}},
        {"typing replaces what the field held", {Step::Type("xy")}, {false, 2, "xy", 0, kEdit}},
        {"End, Backspace and typing",
         {Step::Key(VK_END), Step::Key(VK_BACK), Step::Type("Z")},
         {false, 2, "abZ", 0, kEdit}},
        {"Home and Delete", {Step::Key(VK_HOME), Step::Key(VK_DELETE)}, {false, 2, "bc", 0, kEdit}},
        {"Left over a Japanese character",
         {Step::Key(VK_END), Step::Key(VK_LEFT), Step::Type("之")},
         {false, 2, "武之蔵", 0, kEdit},
         "武蔵"},
        {"the field takes 8 characters",
         {Step::Type("123456789")},
         {false, 2, "12345678", 0, kEdit}},
        {"control characters are dropped",
         {Step::Type("a\tb\x01"
                     "c\n")},
         {false, 2, "abc", 0, kEdit}},
        {"keys wait while the input method composes",
         {Step::Compose("かん"), Step::Key(VK_RETURN), Step::Key(VK_ESCAPE), Step::Key(VK_TAB),
          Step::Type("漢")},
         {false, 2, "漢", 0, kEdit}},
        {"a letter finds the next entry with it, round the end",
         {Step::Key(VK_TAB), Step::Key('B'), Step::Key('B'), Step::Key('B')},
         {false, 2, "abc", 1, kList}},
        {"End, Home and Page Down in the list",
         {Step::Key(VK_TAB), Step::Key(VK_END), Step::Key(VK_HOME), Step::Key(VK_NEXT)},
         {false, 2, "abc", 7, kList}},
        {"Down with nothing chosen takes the first",
         {Step::Key(VK_TAB), Step::Key(VK_DOWN)},
         {false, 2, "abc", 0, kList},
         "abc",
         -1},
        {"an open list: Escape keeps what was chosen and the dialog open",
         {Step::Key(VK_TAB), Step::Key(VK_DOWN, kAlt), Step::Key(VK_DOWN), Step::Key(VK_DOWN),
          Step::Key(VK_ESCAPE)},
         {false, 2, "abc", 3, kList},
         "abc",
         3},
        {"an open list: Enter takes the entry and the dialog stays",
         {Step::Key(VK_TAB), Step::Key(VK_F4), Step::Key(VK_DOWN), Step::Key(VK_RETURN)},
         {false, 2, "abc", 4, kList},
         "abc",
         3},
        {"Tab out of an open list takes the entry",
         {Step::Key(VK_TAB), Step::Key(VK_F4), Step::Key(VK_UP), Step::Key(VK_TAB)},
         {false, 2, "abc", 2, 1},
         "abc",
         3},
        {"a click on a button presses it", {Step::Click(2)}, {true, 2, "abc", 0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome got = Play(c.steps, c.name, c.selected);
        EXPECT_EQ(got.ended, c.expected.ended);
        if (c.expected.ended) {
            EXPECT_EQ(got.result, c.expected.result);
        }
        EXPECT_EQ(got.text, c.expected.text);
        EXPECT_EQ(got.selected, c.expected.selected);
        EXPECT_EQ(got.focus, c.expected.focus);
    }
}

TEST(DialogForm, AClickOpensTheListAndAClickOnARowChoosesIt) {
    platform::headless::HeadlessSystem system;
    DialogForm form(TestTemplate());
    for (const char* item : kItems) {
        form.AddString(kList, item);
    }
    form.Open();
    const ui::Rect field = form.FieldRect(3);
    form.MouseDown(field.left + 5, field.top + 5);
    form.MouseUp(field.left + 5, field.top + 5);
    ASSERT_TRUE(form.DropOpen());
    EXPECT_EQ(form.GetFocus(), kList);
    const ui::Rect list = form.DropListRect(3);
    const int row = 2;
    const int y = list.top + 1 + row * form.RowHeight() + form.RowHeight() / 2;
    form.MouseDown(list.left + 5, y);
    EXPECT_FALSE(form.DropOpen());
    EXPECT_EQ(form.GetWindowText(kList), "Bravo");
    EXPECT_EQ(system.Speech().Texts().back(), "Bravo");
    EXPECT_FALSE(form.Ended());
}

TEST(DialogForm, WhatIsDrawnFollowsTheFocusAndALongNameScrolls) {
    platform::headless::HeadlessSystem system;
    DialogForm form(TestTemplate());
    form.SetWindowText(kEdit, "侍");
    for (const char* item : kItems) {
        form.AddString(kList, item);
    }
    form.SetCurSel(kList, 3);
    form.Open();
    ui::Canvas screen(732, 570);
    const ui::Rect client = ui::DialogPainter::Place(form, 732, 570);
    const ui::Rect frame = ui::DialogPainter::Frame(form, client);
    EXPECT_NEAR((frame.left + frame.right) / 2, 366, 1) << "in the middle of the window";
    EXPECT_NEAR((frame.top + frame.bottom) / 2, 285, 1);

    ui::DialogPainter painter;
    painter.Paint(form, screen, client);
    std::vector<std::string> texts;
    for (const auto& drawn : painter.Drawn()) {
        texts.push_back(drawn.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"テスト", "名前", "侍", "地域", "Charlie", "送信",
                                               "閉じる"}));
    // The selected name is drawn highlighted; the list's entry is not.
    EXPECT_EQ(painter.Drawn()[2].bg, platform::Rgb(0x00, 0x78, 0xD7));
    EXPECT_EQ(painter.Drawn()[4].bg, platform::Rgb(0xFF, 0xFF, 0xFF));

    form.KeyDown(VK_TAB);
    painter.Paint(form, screen, client);
    EXPECT_EQ(painter.Drawn()[4].bg, platform::Rgb(0x00, 0x78, 0xD7)) << "now the list has it";
    EXPECT_EQ(painter.CaretRect().Width(), 0) << "no caret outside the edit";

    // A name wider than the field: the caret stays inside it.
    form.KeyDown(VK_TAB, kShift);
    form.TextInput("WWWWWWWW");
    painter.Paint(form, screen, client);
    const ui::Rect caret = painter.CaretRect();
    const ui::Rect edit{client.left + 80, client.top + 10, client.left + 280, client.top + 50};
    EXPECT_GT(caret.Width(), 0);
    EXPECT_GE(caret.left, edit.left);
    EXPECT_LT(caret.right, edit.right);
    EXPECT_EQ(screen.ColorAt(caret.left, (caret.top + caret.bottom) / 2), 0u) << "the caret";
    EXPECT_EQ(screen.ColorAt(edit.right + 1, edit.top + 5), 0u)
        << "nothing spills out of the field onto the black dialog";
}

} // namespace
