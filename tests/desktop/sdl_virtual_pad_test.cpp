// A controller through SDL's own game-controller layer (its virtual
// controller, under the dummy video driver): plugged in while the game runs,
// its buttons and triggers reach the game as key releases, it is let go of
// cleanly when unplugged, and it rumbles for the game unless rumble=0.
#include "desktop/virtual_pad.h"
#include "platform/haptics.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_system.h"

#include "sdl_window_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using desktop_test::VirtualPad;

using Recorded = kztest::RecordedWindowEvents;

// Runs the window until `last` ticks have passed; the script acts on the ticks.
std::vector<int> RunWindow(int last, const std::function<void(int)>& script) {
    Recorded events;
    auto window = platform::CreateMainWindow({732, 570, "test", {}}, events);
    if (!window) {
        return {-1};
    }
    events.onTick = [&](int tick) {
        script(tick);
        if (tick >= last) {
            window->EndModal(0);
        }
    };
    window->SetTimer(1, 20);
    window->RunModal();
    return events.keys;
}

TEST(SdlVirtualPad, APadPluggedInWhileTheGameRunsPlaysIt) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    std::unique_ptr<VirtualPad> pad;
    const std::vector<int> keys = RunWindow(30, [&](int tick) {
        switch (tick) {
        case 2:
            pad = std::make_unique<VirtualPad>(); // plugged in now
            break;
        case 4:
            pad->Press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
            break;
        case 5:
            pad->Press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
            break;
        case 6:
            pad->Pull(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
            break;
        case 7:
            pad->Pull(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
            break;
        case 8:
            pad->Press(SDL_CONTROLLER_BUTTON_A);
            break;
        case 9:
            pad->Press(SDL_CONTROLLER_BUTTON_BACK);
            break;
        case 10:
            pad->Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
            break;
        case 11:
            pad->Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
            break;
        case 12:
            // Half a trigger, resting: nothing.
            pad->SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -4000);
            break;
        case 13:
            pad->SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
            // Held down when it is unplugged: never released, no key.
            pad->Hold(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
            pad->Press(SDL_CONTROLLER_BUTTON_B); // east: nothing in the game
            break;
        case 15:
            pad.reset();
            break;
        default:
            break;
        }
    });
    EXPECT_EQ(keys, (std::vector<int>{'7', '9', '1', '3', VK_SPACE, VK_ESCAPE, VK_UP, VK_DOWN}));
}

std::vector<VirtualPad::Motors> FeltWith(bool rumble) {
    ui::DesktopSettings settings;
    settings.rumble = rumble;
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    platform::sdl::SdlSystem system(settings);
    if (!system.Ready()) {
        return {};
    }
    VirtualPad pad;
    RunWindow(6, [&](int tick) {
        if (tick == 3) { // by now the game has opened it
            platform::Feel(platform::Haptic::Cut);
        }
    });
    return pad.Pulses();
}

TEST(SdlVirtualPad, ItRumblesForTheGameUnlessRumbleIsOff) {
    {
        platform::sdl::SdlSystem probe;
        if (!probe.Ready()) {
            GTEST_SKIP() << "no SDL video here";
        }
    }
    const std::vector<VirtualPad::Motors> on = FeltWith(true);
    const platform::Rumble cut = platform::RumbleFor(platform::Haptic::Cut);
    ASSERT_EQ(on.size(), 1u);
    EXPECT_EQ(on[0].low, cut.low);
    EXPECT_EQ(on[0].high, cut.high);
    EXPECT_TRUE(FeltWith(false).empty());
}

} // namespace
