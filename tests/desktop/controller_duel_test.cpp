// An easy duel won by ear with SDL's virtual controller alone, on the real SDL
// backend (disk audio) on a virtual screen, from choosing イージー to ending the
// game from its menu. Runs in real time (about a minute) under the ctest entry
// desktop_controller_duel_under_xvfb.
#include "backends/headless/recorded_speech.h"
#include "backends/sdl/sdl_system.h"
#include "duel/sound_log.h"
#include "platform/haptics.h"
#include "shell/KirikazeJApp.h"
#include "shell_game.h"
#include "ui/window_services.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// The main window as the game gets it, with a look at every frame.
class WatchedWindows : public ui::WindowSystem, public ui::WindowEvents {
public:
    explicit WatchedWindows(ui::WindowSystem& real) : m_real(real) {}
    std::unique_ptr<ui::Window> CreateMainWindow(const ui::WindowSpec& layout,
                                                 ui::WindowEvents& events) override {
        m_game = &events;
        return m_real.CreateMainWindow(layout, *this);
    }
    void OnWindowTick(int timerId) override {
        m_game->OnWindowTick(timerId);
        onFrame();
    }
    void OnWindowKeyUp(int vk) override { m_game->OnWindowKeyUp(vk); }
    void OnWindowPaint() override { m_game->OnWindowPaint(); }
    void OnWindowDestroy() override { m_game->OnWindowDestroy(); }

    std::function<void()> onFrame;

private:
    ui::WindowSystem& m_real;
    ui::WindowEvents* m_game = nullptr;
};

// SDL's virtual game controller, keeping every rumble the game asks of it.
struct VirtualPad {
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "virtual test pad";
        desc.userdata = &pulses;
        desc.Rumble = [](void* pulses, Uint16 low, Uint16 high) {
            if (low || high) {
                static_cast<std::vector<platform::Rumble>*>(pulses)->push_back({low, high});
            }
            return 0;
        };
        index = SDL_JoystickAttachVirtualEx(&desc);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        // At rest the triggers are all the way out, as on a real pad.
        for (auto trigger : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT}) {
            SDL_JoystickSetVirtualAxis(joystick, trigger, -32768);
        }
    }
    ~VirtualPad() {
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(index);
    }
    // Down now; the release goes out with SDL's next look at its joysticks.
    void Press(SDL_GameControllerButton button) {
        SDL_JoystickSetVirtualButton(joystick, button, SDL_PRESSED);
        SDL_JoystickUpdate();
        SDL_JoystickSetVirtualButton(joystick, button, SDL_RELEASED);
    }
    // A trigger pulled all the way and let go again.
    void Pull(SDL_GameControllerAxis trigger) {
        SDL_JoystickSetVirtualAxis(joystick, trigger, 32767);
        SDL_JoystickUpdate();
        SDL_JoystickSetVirtualAxis(joystick, trigger, -32768);
    }

    int index = -1;
    SDL_Joystick* joystick = nullptr;
    std::vector<platform::Rumble> pulses;
};

TEST(ControllerDuel, AnEasyDuelIsWonByEarWithTheControllerAlone) {
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!display || !*display || (driver && std::string(driver) == "dummy")) {
        // The ctest entry that gives it a screen must not pass by skipping.
        ASSERT_EQ(std::getenv("KZ_NEED_SCREEN"), nullptr) << "no screen under Xvfb";
        GTEST_SKIP() << "needs a screen (ctest runs it under Xvfb)";
    }
    // A scratch folder for the settings and the recorded sound; the test runs
    // in a process of its own, so the environment is not put back.
    platform::headless::HeadlessSystem scratch;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (scratch.ConfigHome() + "/out.raw").c_str(), 1);
    setenv("LANG", "ja_JP.UTF-8", 1); // the game in its own language
    // A virtual screen has no window manager to give the window the focus,
    // and SDL keeps controllers from windows without it.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    platform::sdl::SdlSystem system;
    ASSERT_TRUE(system.Ready());
    platform::headless::RecordedSpeech speech; // nothing said aloud from a test
    WatchedWindows windows(*ui::GetWindowServices().windows);
    duel_test::SoundLog heard(*system.Installed().audio, KZ_DATA_DIR);
    platform::Services services = system.Installed();
    services.speech = &speech;
    services.audio = &heard;
    system.Reinstall(services);
    ui::InstallWindowServices({&windows, ui::GetWindowServices().scoreDialogs});
    VirtualPad pad;
    ASSERT_NE(pad.joystick, nullptr) << SDL_GetError();

    enum class Phase { Menu, Duel, Dialog };
    Phase phase = Phase::Menu;
    int frame = 0, won = -1, swings = 0, chances = 0, lastPress = 0, presses = 0;
    size_t seen = 0; // sound events already listened to
    windows.onFrame = [&] {
        ++frame;
        switch (phase) {
        case Phase::Menu:
            // After the spoken title: down to イージー, then choose it.
            if (frame == 20) {
                pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
            } else if (frame == 30) {
                pad.Press(SDL_CONTROLLER_BUTTON_A);
                phase = Phase::Duel;
                seen = heard.Events().size();
            }
            break;
        case Phase::Duel:
            for (; seen < heard.Events().size(); ++seen) {
                const duel_test::SoundEvent& event = heard.Events()[seen];
                if (event.kind != duel_test::SoundEvent::Kind::Play) {
                    continue;
                }
                lastPress = frame;
                if (event.name == "\\sound\\chance") {
                    ++chances;
                    pad.Press(SDL_CONTROLLER_BUTTON_A);
                } else if (event.name == "\\sound\\huri") {
                    ++swings;
                    const bool left = heard.PanOf(event.name) < 0;
                    if (heard.RateOf(event.name) > 20000) {
                        pad.Press(left ? SDL_CONTROLLER_BUTTON_LEFTSHOULDER
                                       : SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
                    } else {
                        pad.Pull(left ? SDL_CONTROLLER_AXIS_TRIGGERLEFT
                                      : SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
                    }
                }
            }
            // Long quiet: the duel may be over; south confirms it.
            if (frame - lastPress >= 60) {
                pad.Press(SDL_CONTROLLER_BUTTON_A);
                lastPress = frame;
            }
            if (!speech.Texts().empty() && speech.Texts().front() == "ネットに記録しますか?") {
                won = frame;
                phase = Phase::Dialog;
            }
            break;
        case Phase::Dialog:
            // East closes the score dialog unsent; then six Downs to the
            // menu's last item, 終了, and south ends the game.
            if (frame == won + 10) {
                pad.Press(SDL_CONTROLLER_BUTTON_B);
            } else if (frame >= won + 25 && (frame - won - 25) % 3 == 0 && presses < 7) {
                pad.Press(++presses < 7 ? SDL_CONTROLLER_BUTTON_DPAD_DOWN
                                        : SDL_CONTROLLER_BUTTON_A);
            }
            break;
        }
        // Bounded: four minutes at most, then the window is closed.
        if (frame == 2400) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    };

    kztest::WorkingFolder folder(KZ_DATA_DIR);
    CKirikazeJApp app("kirikazeJ");
    app.InitInstance();

    EXPECT_GE(won, 0) << "no win was confirmed; " << swings << " swings and " << chances
                      << " chances heard in " << frame / 10 << " s";
    EXPECT_EQ(chances, 5) << "one chance per enemy felled";
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_EQ(presses, 7) << "the game ended from its menu's 終了";
    // With no mistakes, every block was felt as the same short light pulse.
    const platform::Rumble block = platform::RumbleFor(platform::Haptic::Block);
    EXPECT_GE(pad.pulses.size(), 5u) << "at least one block for each enemy";
    for (const platform::Rumble& pulse : pad.pulses) {
        EXPECT_EQ(pulse.low, block.low);
        EXPECT_EQ(pulse.high, block.high);
    }
}

} // namespace
