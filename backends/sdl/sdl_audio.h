#pragma once
// The sound output on SDL2's audio device: our mixer renders straight into
// SDL's callback, in periods of 256 frames (about 5 ms at 48 kHz). A device
// that cannot play such periods, or runs dry in them, is given 512 instead,
// once and for the rest of the run. KZ_AUDIO_PERIOD asks for any power of two
// from 64 to 1024, and then nothing else is tried. Never SDL's 2048-frame
// default, which would put over 40 ms between a key and its sound.

#include "mixer/underrun_watch.h"
#include "platform/sound.h"

#include <atomic>
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
    // Says once, on stderr, that the default period gives way, and why.
    void SayFallback(const char* why);

    uint32_t m_device = 0;
    std::thread m_watcher;
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_stopWatching = false;
    uint32_t m_rate = 0;
    std::atomic<uint32_t> m_period = 0; // the watcher may change it
    bool m_mayFallBack = false; // no KZ_AUDIO_PERIOD; set before the watcher starts
    bool m_saidFallback = false;
    mixer::UnderrunWatch m_underruns;
    std::shared_ptr<mixer::Mixer> m_mixer;
    std::shared_ptr<mixer::MixerListener> m_listener;
};

// The period KZ_AUDIO_PERIOD asks for, rounded down to a power of two within
// 64 ... 1024; 0 when it is unset or not a number.
uint32_t ForcedAudioPeriod();

std::unique_ptr<AudioSystem> CreateSdlAudioSystem();

} // namespace platform::sdl
