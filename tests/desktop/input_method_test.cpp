// A real input method in the way: IBus with Mozc switched to hiragana, keys
// typed by xdotool into the SDL window. scripts/test-ime sets the desktop up
// (Xvfb, its own D-Bus session, IBus, Mozc) and runs this; elsewhere it skips.
#include "platform/keys.h"
#include "ui/dialog_form.h"
#include "ui/score_dialog.h"

#include "backends/headless/recorded_speech.h"
#include "backends/sdl/sdl_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void Xdotool(const std::string& args) {
    // In the background: the window's own loop must go on to take the keys.
    const std::string command = "xdotool " + args + " &";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

ui::DialogTemplate NameField() {
    using Kind = ui::DialogControl::Kind;
    ui::DialogTemplate t{.title = "名前", .width = 300, .height = 90};
    t.controls.push_back(
        {.kind = Kind::Edit, .id = 1002, .rect = {10, 10, 290, 40}, .tabStop = true});
    t.controls.push_back({.kind = Kind::Button,
                          .id = ui::kDialogOk,
                          .text = "送信",
                          .rect = {110, 55, 190, 80},
                          .tabStop = true,
                          .defaultButton = true});
    return t;
}

// What the window gave the game: ticks (with a hook) and key releases.
struct Events : ui::WindowEvents {
    void OnWindowTick(int) override {
        if (onTick) {
            onTick(++ticks);
        }
    }
    void OnWindowKeyUp(int vk) override { keys.push_back(vk); }
    void OnWindowPaint() override {}
    void OnWindowDestroy() override {}
    int ticks = 0;
    std::vector<int> keys;
    std::function<void(int)> onTick;
};

TEST(InputMethod, GameKeysPassMozcInHiraganaAndTheNameFieldComposesWithIt) {
    if (!std::getenv("KZ_IME")) {
        GTEST_SKIP() << "needs IBus with Mozc on a desktop of its own: run scripts/test-ime";
    }
    // A real SDL window on the desktop test-ime made, saying nothing aloud.
    platform::sdl::SdlSystem system;
    platform::headless::RecordedSpeech speech;
    platform::Services services = system.Installed();
    services.speech = &speech;
    system.Reinstall(services);
    Events events;
    auto window = ui::CreateMainWindow({732, 570, "kz-ime-test", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);
    EXPECT_FALSE(SDL_IsTextInputActive()) << "off from the start";

    // Every key of the menu and the duel, as a player presses them; then the
    // score dialog's name field, opened from a tick as the game opens it.
    const std::vector<int> expected = {VK_UP, VK_DOWN, VK_SPACE, VK_RETURN, VK_ESCAPE,
                                       '7',   '9',     '1',      '3',       '5',
                                       'A',   'K',     'Z',      'M',       VK_SPACE};
    std::vector<int> keys;
    bool inputOffForKeys = false, inputOn = false, endedByCommit = true;
    std::string composed, committed;
    int result = -1, opened = 0;
    ui::DialogForm form(NameField());
    events.onTick = [&](int tick) {
        if (tick == 5) {
            // Focused first, then typed as the keyboard does (XTEST), not sent to
            // the window, so the input method sees every key.
            Xdotool("search --name '^kz-ime-test$' windowfocus --sync; xdotool key --delay 80 Up "
                    "Down space Return Escape 7 9 1 3 5 a k z m space");
        }
        if (!opened && (events.keys.size() >= expected.size() || tick > 100)) {
            opened = tick;
            keys = events.keys;
            inputOffForKeys = !SDL_IsTextInputActive();
            result = ui::RunScoreDialog(form);
            window->EndModal(0);
        }
        if (!opened) {
            return;
        }
        tick -= opened;
        if (tick == 5) {
            inputOn = SDL_IsTextInputActive();
            Xdotool("type --delay 120 musasi");
        }
        if (tick == 25) {
            composed = form.CompositionText();
            Xdotool("key space");
        }
        if (tick == 35) {
            Xdotool("key Return");
        }
        if (tick == 45) {
            committed = form.GetWindowText(1002);
            endedByCommit = form.Ended();
            Xdotool("key Return");
        }
        if (tick > 80) {
            form.Cancel();
        }
    };
    window->RunModal();
    EXPECT_EQ(keys, expected) << "a key the input method kept never reached the game";
    EXPECT_TRUE(inputOffForKeys);
    EXPECT_TRUE(inputOn) << "the name field turns text input on";
    EXPECT_EQ(composed, "むさし") << "Mozc composes in hiragana";
    EXPECT_EQ(committed, "武蔵");
    EXPECT_FALSE(endedByCommit) << "the Enter that commits belongs to the input method";
    EXPECT_EQ(result, ui::kDialogOk) << "the next Enter sends";
    EXPECT_FALSE(SDL_IsTextInputActive()) << "off again outside the field";
}

} // namespace
