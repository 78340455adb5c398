// The dialog's own widgets, worked from the keyboard as a player would.
#include "ui/dialog_painter.h"
#include "platform/headless/headless_system.h"
#include "platform/keys.h"
#include "platform/score_dialog.h"

#include <gtest/gtest.h>

namespace {

using ui::DialogControl;
using ui::DialogForm;
using Kind = DialogControl::Kind;
using Step = platform::headless::HeadlessScoreDialogs::Step;

constexpr int kEdit = 10;
constexpr int kList = 20;
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
        {"Enter on a button presses that one",
         {Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_TAB), Step::Key(VK_RETURN)},
         {true, 2, "abc", 0, 2}},
        {"typing replaces what the field held", {Step::Type("xy")}, {false, 2, "xy", 0, kEdit}},
        {"Left over a Japanese character",
         {Step::Key(VK_END), Step::Key(VK_LEFT), Step::Type("之")},
         {false, 2, "武之蔵", 0, kEdit},
         "武蔵"},
        {"the field takes 8 characters",
         {Step::Type("123456789")},
         {false, 2, "12345678", 0, kEdit}},
        {"keys wait while the input method composes",
         {Step::Compose("かん"), Step::Key(VK_RETURN), Step::Key(VK_ESCAPE), Step::Key(VK_TAB),
          Step::Type("漢")},
         {false, 2, "漢", 0, kEdit}},
        {"a letter finds the next entry with it, round the end",
         {Step::Key(VK_TAB), Step::Key('B'), Step::Key('B'), Step::Key('B')},
         {false, 2, "abc", 1, kList}},
        {"an open list: Escape keeps what was chosen and the dialog open",
         {Step::Key(VK_TAB), Step::Key(VK_DOWN, kAlt), Step::Key(VK_DOWN), Step::Key(VK_DOWN),
          Step::Key(VK_ESCAPE)},
         {false, 2, "abc", 3, kList},
         "abc",
         3},
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

} // namespace
