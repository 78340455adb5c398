#pragma once
#include "platform/headless/recorded_speech.h"
#include "platform/sdl/sdl_system.h"
#include "platform/window.h"

#include <functional>
#include <vector>

namespace kztest {

// What a real SDL window gave the game: ticks (with a hook to act on one),
// key releases and paints.
class RecordedWindowEvents : public platform::WindowEvents {
public:
    void OnWindowTick(int) override {
        ++ticks;
        if (onTick) {
            onTick(ticks);
        }
    }
    void OnWindowKeyUp(int vk) override { keys.push_back(vk); }
    void OnWindowPaint() override { ++paints; }
    void OnWindowDestroy() override {}

    int ticks = 0;
    int paints = 0;
    std::vector<int> keys;
    std::function<void(int)> onTick;
};

// Nothing is said aloud from a test: the SDL system speaks into a recorder.
inline void SilenceSpeech(platform::sdl::SdlSystem& system,
                          platform::headless::RecordedSpeech& speech) {
    platform::Services services = system.Installed();
    services.speech = &speech;
    system.Reinstall(services);
}

} // namespace kztest
