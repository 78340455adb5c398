#include "backends/sdl/sdl_audio.h"

#include "mixer/mixer.h"
#include "mixer/mixer_device.h"
#include "mixer/mixer_listener.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform::sdl {

namespace {
constexpr uint32_t kDefaultPeriod = 256;
// Where the default is too short for the device.
constexpr uint32_t kFallbackPeriod = 512;
// One run dry may be a moment the whole machine stalled; a second is not.
constexpr uint32_t kUnderrunsToFallBack = 2;
constexpr uint32_t kShortestPeriod = 64;
constexpr uint32_t kLongestPeriod = 1024;
constexpr int kRate = 48000;
// How often a lost device is looked for again: well within the two seconds a
// player waits for the sound to come back.
constexpr auto kWatchPeriod = std::chrono::milliseconds(250);
} // namespace

uint32_t ForcedAudioPeriod() {
    const char* text = std::getenv("KZ_AUDIO_PERIOD");
    char* end = nullptr;
    unsigned long asked = text ? std::strtoul(text, &end, 10) : 0;
    if (!text || end == text || *end != '\0') {
        return 0;
    }
    // A power of two, as SDL's drivers like, and never as long as SDL's own
    // default of 2048.
    uint32_t period = kShortestPeriod;
    while (period * 2 <= asked && period * 2 <= kLongestPeriod) {
        period *= 2;
    }
    return period;
}

SdlAudioSystem::SdlAudioSystem() = default;

SdlAudioSystem::~SdlAudioSystem() {
    if (m_watcher.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_watchMutex);
            m_stopWatching = true;
        }
        m_watchWake.notify_all();
        m_watcher.join();
    }
    if (m_device != 0) {
        // Closing waits for a running callback, so the mixer outlives it.
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

std::shared_ptr<AudioDevice> SdlAudioSystem::CreateDevice() {
    if (m_device == 0 && !Open()) {
        return nullptr;
    }
    return std::make_shared<mixer::MixerDevice>(m_mixer, m_listener);
}

uint32_t SdlAudioSystem::OpenOutput(int rate, uint32_t period, SDL_AudioSpec* have,
                                    int allowedChanges) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(period);
    want.callback = &SdlAudioSystem::Callback;
    want.userdata = this;
    return SDL_OpenAudioDevice(nullptr, 0, &want, have, allowedChanges);
}

bool SdlAudioSystem::Open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    SDL_AudioSpec have{};
    // The device's own rate saves SDL a resampling step; we resample anyway.
    // Our default period is taken only as the device's own: SDL would make
    // up any other with a queue of its own, which is the delay it is for.
    const uint32_t forced = ForcedAudioPeriod();
    m_mayFallBack = forced == 0;
    SDL_AudioDeviceID device =
        OpenOutput(kRate, forced ? forced : kDefaultPeriod, &have,
                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | (forced ? 0 : SDL_AUDIO_ALLOW_SAMPLES_CHANGE));
    if (device != 0 && !forced && have.samples != kDefaultPeriod) {
        SDL_CloseAudioDevice(device);
        SayFallback("cannot play");
        device = OpenOutput(kRate, kFallbackPeriod, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    }
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // The device starts paused: nothing calls back before the mixer exists.
    m_device = device;
    m_rate = static_cast<uint32_t>(have.freq);
    m_period = have.samples;
    m_mixer = std::make_shared<mixer::Mixer>(m_rate);
    m_listener = std::make_shared<mixer::MixerListener>();
    m_underruns.Start(m_rate, m_period);
    SDL_PauseAudioDevice(device, 0);
    m_watcher = std::thread([this] { Watch(); });
    return true;
}

void SdlAudioSystem::Watch() {
    std::unique_lock<std::mutex> lock(m_watchMutex);
    bool lost = false;
    while (!m_watchWake.wait_for(lock, kWatchPeriod, [this] { return m_stopWatching; })) {
        // A device SDL has given up on reads as stopped; ours is never paused
        // or stopped otherwise.
        if (SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_STOPPED) {
            if (m_mayFallBack && m_period == kDefaultPeriod &&
                m_underruns.Underruns() >= kUnderrunsToFallBack) {
                SayFallback("ran dry in");
                m_period = kFallbackPeriod;
                if (!Reopen()) {
                    m_period = kDefaultPeriod; // tried again at the next look
                }
            }
            continue;
        }
        if (!lost) {
            lost = true;
            std::fprintf(stderr, "kirikazeJ: the sound device is gone; waiting for one\n");
        }
        if (Reopen()) {
            lost = false;
            std::fprintf(stderr, "kirikazeJ: the sound device is back\n");
        }
    }
}

bool SdlAudioSystem::Reopen() {
    // The mixer keeps its rate and every sound where it stood: the new device
    // converts if it runs at another rate, and the looping music goes on.
    SDL_AudioDeviceID device = OpenOutput(static_cast<int>(m_rate), m_period.load(), nullptr, 0);
    if (device == 0) {
        return false;
    }
    SDL_CloseAudioDevice(m_device);
    m_device = device;
    m_underruns.Start(m_rate, m_period);
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void SdlAudioSystem::SayFallback(const char* why) {
    if (m_saidFallback) {
        return;
    }
    m_saidFallback = true;
    std::fprintf(stderr, "kirikazeJ: the sound device %s periods of %u frames; using %u\n", why,
                 kDefaultPeriod, kFallbackPeriod);
}

void SdlAudioSystem::Callback(void* user, uint8_t* stream, int bytes) {
    auto* self = static_cast<SdlAudioSystem*>(user);
    const auto frames = static_cast<uint32_t>(bytes / static_cast<int>(2 * sizeof(float)));
    self->m_underruns.Asked(
        frames, std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                    .count());
    self->m_mixer->Render(reinterpret_cast<float*>(stream), frames);
}

std::unique_ptr<AudioSystem> CreateSdlAudioSystem() {
    return std::make_unique<SdlAudioSystem>();
}

} // namespace platform::sdl
