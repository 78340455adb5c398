#pragma once
// The audio device over our mixer, shared by the SDL and headless backends:
// they differ only in who calls Mixer::Render.

#include "platform/sound.h"

#include <memory>

namespace platform {

class Mixer;
class MixerListener;

class MixerDevice : public AudioDevice {
public:
    MixerDevice(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener);

    // Our output is shared with the rest of the desktop whatever the level;
    // only a level outside the known ones is refused.
    bool SetCooperativeLevel(const Window* window, CooperativeLevel level) override;
    std::shared_ptr<SoundBuffer> CreateSoundBuffer(const BufferDesc& desc,
                                                   std::span<const uint8_t> samples) override;
    std::shared_ptr<SoundListener> GetListener() override;

    // Whether a description can become a buffer (see AudioDevice).
    static bool Accepts(const BufferDesc& desc);

private:
    std::shared_ptr<Mixer> m_mixer;
    std::shared_ptr<MixerListener> m_listener;
};

} // namespace platform
