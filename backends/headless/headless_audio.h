#pragma once
// The audio backend for tests: the same mixer as the game's, rendered into
// memory whenever a test asks, so a test hears exactly what a player would.

#include "backends/headless/rendered_audio.h"
#include "platform/sound.h"

#include <memory>

namespace mixer {
class Mixer;
class MixerListener;
} // namespace mixer

namespace platform::headless {

class HeadlessAudio : public AudioSystem {
public:
    explicit HeadlessAudio(uint32_t rate = 48000);
    ~HeadlessAudio() override;

    std::shared_ptr<AudioDevice> CreateDevice() override;

    uint32_t Rate() const { return m_rate; }
    // Advances the output by that much time and returns what it played.
    RenderedAudio Render(uint32_t frames);
    RenderedAudio RenderMs(uint32_t ms);

private:
    uint32_t m_rate;
    std::shared_ptr<mixer::Mixer> m_mixer;
    std::shared_ptr<mixer::MixerListener> m_listener;
};

} // namespace platform::headless
