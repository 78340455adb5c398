// The controller on the SDL backend (the dummy video driver in the test run):
// its events, as SDL's game-controller layer sends them, reach the game's
// loop as key releases and an open dialog as key presses; a press that went
// to the dialog never comes back to the game as a release.
#include "platform/headless/recorded_speech.h"
#include "platform/keys.h"
#include "platform/score_dialog.h"
#include "platform/sdl/sdl_system.h"
#include "ui/dialog_painter.h"

#include "sdl_window_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Recorded = kztest::RecordedWindowEvents;

constexpr SDL_JoystickID kPad = 42;

void PushButton(SDL_GameControllerButton button, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    event.cbutton.which = kPad;
    event.cbutton.button = static_cast<Uint8>(button);
    event.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void PushAxis(SDL_GameControllerAxis axis, Sint16 value) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERAXISMOTION;
    event.caxis.which = kPad;
    event.caxis.axis = static_cast<Uint8>(axis);
    event.caxis.value = value;
    SDL_PushEvent(&event);
}

ui::DialogTemplate OkCancel() {
    ui::DialogTemplate t;
    t.title = "test";
    t.width = 200;
    t.height = 100;
    t.fontFace = "ＭＳ ＵＩ ゴシック";
    for (int id : {ui::kDialogOk, ui::kDialogCancel}) {
        ui::DialogControl button;
        button.kind = ui::DialogControl::Kind::Button;
        button.id = id;
        button.text = id == ui::kDialogOk ? "送信" : "閉じる";
        button.rect = id == ui::kDialogOk ? ui::Rect{10, 60, 90, 90} : ui::Rect{110, 60, 190, 90};
        button.tabStop = true;
        button.defaultButton = id == ui::kDialogOk;
        t.controls.push_back(button);
    }
    return t;
}

TEST(SdlPad, ControllerEventsReachTheGameAsKeysAndADialogAsPresses) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    platform::headless::RecordedSpeech speech;
    kztest::SilenceSpeech(system, speech);
    Recorded events;
    auto window = platform::CreateMainWindow({732, 570, "test", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);

    // In the game's own loop.
    events.onTick = [&](int tick) {
        if (tick == 1) {
            PushButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
            PushButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
            PushAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
            PushAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 12000); // still held
            PushAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);       // the stick: nothing
            PushAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
            PushButton(SDL_CONTROLLER_BUTTON_B, true);
            PushButton(SDL_CONTROLLER_BUTTON_B, false);
            // Still held when the run ends: no key until it is let go.
            PushButton(SDL_CONTROLLER_BUTTON_BACK, true);
        } else if (tick == 3) {
            window->EndModal(0);
        }
    };
    window->RunModal();
    EXPECT_EQ(events.keys, (std::vector<int>{'7', '3'}));
}

TEST(SdlPad, ThePressThatClosesADialogIsNotAKeyForTheGameAfterwards) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    platform::headless::RecordedSpeech speech;
    kztest::SilenceSpeech(system, speech);
    Recorded events;
    auto window = platform::CreateMainWindow({732, 570, "test", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);

    ui::DialogForm form(OkCancel());
    events.onTick = [&](int tick) {
        if (tick == 2) {
            // The game's keys are nothing to a dialog; east would cancel, but
            // right moves to 閉じる and south presses what has the focus.
            PushButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
            PushButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
            PushButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
            PushButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
            PushButton(SDL_CONTROLLER_BUTTON_A, true);
        } else if (tick == 50) {
            form.EndDialog(99); // bounded
        }
    };
    EXPECT_EQ(platform::RunScoreDialog(form), ui::kDialogCancel);

    // Back in the game: south is let go now, then pressed again.
    PushButton(SDL_CONTROLLER_BUTTON_A, false);
    const int ticksThen = events.ticks;
    events.onTick = [&](int tick) {
        if (tick == ticksThen + 1) {
            PushButton(SDL_CONTROLLER_BUTTON_A, true);
            PushButton(SDL_CONTROLLER_BUTTON_A, false);
        } else if (tick >= ticksThen + 3) {
            window->EndModal(0);
        }
    };
    window->RunModal();
    EXPECT_EQ(events.keys, std::vector<int>{VK_SPACE});
}

} // namespace
