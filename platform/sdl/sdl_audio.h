#pragma once
// The sound output on SDL2's audio device: our mixer renders straight into
// SDL's callback, in periods of 512 frames (about 11 ms at 48 kHz) unless
// KZ_AUDIO_PERIOD asks for another power of two from 64 to 1024: lower where
// the sound server keeps up. Never SDL's 2048-frame default, which would put
// over 40 ms between a key and its sound.

#include "platform/sound.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct SDL_AudioSpec;

namespace mixer {
class Mixer;
class MixerListener;
} // namespace mixer

namespace platform::sdl {

class SdlAudioSystem : public AudioSystem {
public:
    SdlAudioSystem();
    ~SdlAudioSystem() override;
    SdlAudioSystem(const SdlAudioSystem&) = delete;
    SdlAudioSystem& operator=(const SdlAudioSystem&) = delete;

    // Opens the output on first use (and tries again later if it failed):
    // null when the machine has no audio device.
    std::shared_ptr<AudioDevice> CreateDevice() override;

    // What the open device runs at; 0 before it is open.
    uint32_t Rate() const { return m_rate; }
    uint32_t Period() const { return m_period; }

private:
    static void Callback(void* user, uint8_t* stream, int bytes);
    bool Open();
    // The default device, in float stereo, calling back into our mixer.
    uint32_t OpenOutput(int rate, uint32_t period, SDL_AudioSpec* have, int allowedChanges);
    // Watches the open device: one that is lost (headphones pulled, the sound
    // server restarted) is opened again as soon as a default device is there.
    void Watch();
    bool Reopen();

    uint32_t m_device = 0;
    std::thread m_watcher;
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_stopWatching = false;
    uint32_t m_rate = 0;
    uint32_t m_period = 0;
    std::shared_ptr<mixer::Mixer> m_mixer;
    std::shared_ptr<mixer::MixerListener> m_listener;
};

// The period asked of the device: KZ_AUDIO_PERIOD rounded down to a power of
// two within 64 ... 1024, or 512 when it is unset or not a number.
uint32_t RequestedAudioPeriod();

std::unique_ptr<AudioSystem> CreateSdlAudioSystem();

} // namespace platform::sdl
