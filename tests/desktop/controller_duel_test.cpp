// An easy duel won with a game controller alone, on the real SDL backend on a
// virtual screen: SDL's virtual controller stands in for the pad, SDL's disk
// audio driver for the speakers. The player only listens (the listening
// player of the duel tests, reading what the game plays as it is written)
// and only uses the controller: D-pad and south to choose イージー, the
// shoulders to block, south to strike and to confirm the win, east to close
// the score dialog, D-pad and south to end the game from its menu.
// Runs in real time (about a minute), so only where there is a screen: the
// ctest entry desktop_controller_duel_under_xvfb gives it one.
#include "desktop/virtual_pad.h"
#include "shell_game.h"
#include "listening/listening_bot.h"
#include "listening/practice.h"
#include "platform/haptics.h"
#include "platform/headless/recorded_speech.h"
#include "platform/sdl/sdl_system.h"
#include "resources/texts.h"
#include "shell/KirikazeJApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using desktop_test::VirtualPad;

// The main window as the game gets it, with a look at every frame: the real
// SDL window, its events passed on to the game and then to the test.
class WatchedWindows : public platform::WindowSystem, public platform::WindowEvents {
public:
    explicit WatchedWindows(platform::WindowSystem& real) : m_real(real) {}
    std::unique_ptr<platform::Window> CreateMainWindow(const platform::WindowSpec& layout,
                                                       platform::WindowEvents& events) override {
        m_game = &events;
        return m_real.CreateMainWindow(layout, *this);
    }
    void OnWindowTick(int timerId) override {
        m_game->OnWindowTick(timerId);
        if (onFrame) {
            onFrame();
        }
    }
    void OnWindowKeyUp(int vk) override { m_game->OnWindowKeyUp(vk); }
    void OnWindowPaint() override { m_game->OnWindowPaint(); }
    void OnWindowDestroy() override { m_game->OnWindowDestroy(); }

    std::function<void()> onFrame;

private:
    platform::WindowSystem& m_real;
    platform::WindowEvents* m_game = nullptr;
};

// The file SDL's disk driver writes (float stereo), read as it grows.
class GrowingFile {
public:
    explicit GrowingFile(std::string path) : m_path(std::move(path)) {}
    std::vector<float> ReadNew() {
        std::ifstream in(m_path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(m_read));
        std::vector<float> samples(4096);
        std::vector<float> all;
        while (in.read(reinterpret_cast<char*>(samples.data()), 4096 * sizeof(float)) ||
               in.gcount() > 0) {
            all.insert(all.end(), samples.begin(), samples.begin() + in.gcount() / sizeof(float));
        }
        all.resize(all.size() / 2 * 2); // whole frames only
        m_read += all.size() * sizeof(float);
        return all;
    }

private:
    std::string m_path;
    size_t m_read = 0;
};

// What the listening player's key means on the controller in hand.
void PressFor(VirtualPad& pad, unsigned vk) {
    switch (vk) {
    case 'A':
        return pad.Press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    case 'K':
        return pad.Press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    case 'Z':
        return pad.Pull(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    case 'M':
        return pad.Pull(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    case ' ':
        return pad.Press(SDL_CONTROLLER_BUTTON_A);
    default:
        return;
    }
}

// A scratch folder for the player's settings and the recorded sound; the
// test runs in a process of its own, so the environment is not put back.
class Scratch {
public:
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kirikazeJ-pad-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : std::string();
        setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", Audio().c_str(), 1);
        // The game in its own language, whatever the machine's locale.
        setenv("LC_ALL", "", 1);
        setenv("LC_MESSAGES", "", 1);
        setenv("LANG", "ja_JP.UTF-8", 1);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Audio() const { return m_path + "/out.raw"; }

private:
    std::string m_path;
};

bool OnAScreen() {
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return display && *display && !(driver && std::string(driver) == "dummy");
}

TEST(ControllerDuel, AnEasyDuelIsWonByEarWithTheControllerAlone) {
    if (!OnAScreen()) {
        // The ctest entry that gives it a screen must not pass by skipping.
        ASSERT_EQ(std::getenv("KZ_NEED_SCREEN"), nullptr) << "no screen under Xvfb";
        GTEST_SKIP() << "needs a screen (ctest runs it under Xvfb)";
    }
    Scratch scratch;
    // A virtual screen has no window manager to give the window the focus,
    // and SDL keeps controllers from windows without it.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    platform::sdl::SdlSystem system;
    ASSERT_TRUE(system.Ready());
    platform::headless::RecordedSpeech speech; // nothing said aloud from a test
    WatchedWindows windows(*system.Installed().windows);
    platform::Services services = system.Installed();
    services.speech = &speech;
    services.windows = &windows;
    system.Reinstall(services);
    VirtualPad pad;
    ASSERT_TRUE(pad.Attached()) << SDL_GetError();

    listening::ListeningBot::Options options;
    options.pitch = listening::PractiseSwings(KZ_DATA_DIR);
    // PractiseSwings put its own platform in and out again.
    system.Reinstall(services);
    listening::ListeningBot bot(options);
    GrowingFile heard(scratch.Audio());

    enum class Phase { Menu, Duel, Dialog, Leaving };
    Phase phase = Phase::Menu;
    int frame = 0;
    int won = -1; // the frame the score dialog opened
    std::deque<SDL_GameControllerButton> menuPresses;
    windows.onFrame = [&] {
        ++frame;
        std::vector<float> samples = heard.ReadNew();
        switch (phase) {
        case Phase::Menu:
            // After the spoken title: down to イージー, then choose it.
            if (frame == 20) {
                pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
            } else if (frame == 30) {
                pad.Press(SDL_CONTROLLER_BUTTON_A);
                phase = Phase::Duel;
            }
            break;
        case Phase::Duel:
            for (unsigned vk : bot.Hear(samples)) {
                PressFor(pad, vk);
            }
            if (!speech.Texts().empty() && speech.Texts().front() == "ネットに記録しますか?") {
                won = frame;
                phase = Phase::Dialog;
            }
            break;
        case Phase::Dialog:
            // The score dialog: east closes it unsent; then the menu's
            // last item, 終了, ends the game.
            if (frame == won + 10) {
                pad.Press(SDL_CONTROLLER_BUTTON_B);
            } else if (frame == won + 25) {
                menuPresses.assign(6, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
                menuPresses.push_back(SDL_CONTROLLER_BUTTON_A);
                phase = Phase::Leaving;
            }
            break;
        case Phase::Leaving:
            if (!menuPresses.empty() && frame % 3 == 0) {
                pad.Press(menuPresses.front());
                menuPresses.pop_front();
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

    std::printf(
        "controller duel: won at %.1f s, %d swings heard, %zu pulses felt, ended at %.1f s\n",
        won / 10.0, bot.SwingsHeard(), pad.Pulses().size(), frame / 10.0);
    EXPECT_GE(won, 0) << "no win was confirmed; " << bot.SwingsHeard() << " swings and "
                      << bot.ChancesHeard() << " chances heard in " << frame / 10 << " s";
    EXPECT_EQ(bot.ChancesHeard(), 5) << "one chance per enemy felled";
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_TRUE(menuPresses.empty()) << "the game ended from its menu's 終了";
    // Every block was felt as the same short light pulse, whichever side the
    // blade came from; with no mistakes, nothing stronger.
    const std::vector<VirtualPad::Motors> pulses = pad.Pulses();
    const platform::Rumble block = platform::RumbleFor(platform::Haptic::Block);
    EXPECT_GE(pulses.size(), 5u) << "at least one block for each enemy";
    for (const VirtualPad::Motors& pulse : pulses) {
        EXPECT_EQ(pulse.low, block.low);
        EXPECT_EQ(pulse.high, block.high);
    }
}

} // namespace
