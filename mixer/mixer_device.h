#pragma once
// The audio device over our mixer, shared by the SDL and headless backends:
// they differ only in who calls Mixer::Render.

#include "platform/sound.h"

#include <memory>

namespace mixer {

class Mixer;
class MixerListener;

class MixerDevice : public platform::AudioDevice {
public:
    MixerDevice(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener);

    // Our output is shared with the rest of the desktop whatever the level;
    // only a level outside the known ones is refused.
    bool SetCooperativeLevel(const void* window, platform::CooperativeLevel level) override;
    std::shared_ptr<platform::SoundBuffer>
    CreateSoundBuffer(const platform::BufferDesc& desc, std::span<const uint8_t> samples) override;
    std::shared_ptr<platform::SoundListener> GetListener() override;

    // Whether a description can become a buffer (see AudioDevice).
    static bool Accepts(const platform::BufferDesc& desc);

private:
    std::shared_ptr<Mixer> m_mixer;
    std::shared_ptr<MixerListener> m_listener;
};

} // namespace mixer
