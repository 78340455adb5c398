#pragma once
// One run of the game's audio for a test: a fresh headless output (so the
// shared devices and the first-request rule start over), recorded message
// boxes, a virtual clock, a data folder of its own and a clean volume memory.

#include "audio/SoundVolume.h"
#include "audio/wave_writer.h"
#include "platform/headless/headless_audio.h"
#include "platform/headless/recorded_message_boxes.h"
#include "platform/headless/virtual_clock.h"
#include "platform/services.h"

#include <filesystem>
#include <random>
#include <string>

namespace platform {
class Window;
}

namespace testwave {

// The player only checks the window for null; nothing else is ever read.
inline const platform::Window* MainWindow() {
    static char stand_in;
    return reinterpret_cast<const platform::Window*>(&stand_in);
}

class SoundRun {
public:
    explicit SoundRun(platform::headless::HeadlessAudio::Options options = {},
                      platform::AudioSystem* system = nullptr)
        : audio(options) {
        std::random_device random;
        dir = std::filesystem::temp_directory_path() / ("kz-audio-" + std::to_string(random()));
        std::filesystem::create_directories(dir / "sound");
        platform::Services mine;
        mine.audio = system ? system : &audio;
        mine.messageBoxes = &boxes;
        mine.clock = &clock;
        m_previous = platform::InstallServices(mine);
        for (uint32_t id = 0; id < CSoundVolume::kRemembered; ++id) {
            CSoundVolume::Instance().SetRemembered(id, 0);
        }
    }
    ~SoundRun() {
        platform::InstallServices(m_previous);
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }

    // The path as a scene registers it: data folder + "\sound\" + name.
    std::string Registered(const std::string& name) const {
        return dir.string() + "\\sound\\" + name;
    }
    void Write(const std::string& name, const Bytes& bytes) const {
        WriteFile((dir / "sound" / name).string(), bytes);
    }

    platform::headless::HeadlessAudio audio;
    platform::headless::RecordedMessageBoxes boxes;
    platform::headless::VirtualClock clock;
    std::filesystem::path dir;

private:
    platform::Services m_previous;
};

// A 441 Hz tone at half scale, 22050 Hz mono 16-bit.
inline Bytes ToneWave(double seconds, double hz = 441.0) {
    return Wave({}, Sine16(hz, 22050, static_cast<uint32_t>(seconds * 22050)));
}

// The level of a half-scale sine, the reference for "full level".
constexpr double kToneDb = -9.0309;

} // namespace testwave
