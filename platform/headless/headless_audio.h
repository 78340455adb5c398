#pragma once
// The audio backend for tests: the same mixer as the game's, rendered into
// memory whenever a test asks, so a test hears exactly what a player would.

#include "platform/headless/rendered_audio.h"
#include "platform/sound.h"

#include <memory>

namespace mixer {
class Mixer;
class MixerListener;
} // namespace mixer

namespace platform::headless {

class HeadlessAudio : public AudioSystem {
public:
    struct Options {
        uint32_t rate = 48000;
        // false: a machine without any audio device; CreateDevice fails.
        bool hasDevice = true;
    };

    HeadlessAudio();
    explicit HeadlessAudio(Options options);
    ~HeadlessAudio() override;

    std::shared_ptr<AudioDevice> CreateDevice() override;

    uint32_t Rate() const { return m_options.rate; }
    // Advances the output by that much time and returns what it played.
    RenderedAudio Render(uint32_t frames);
    RenderedAudio RenderMs(uint32_t ms);

private:
    Options m_options;
    std::shared_ptr<mixer::Mixer> m_mixer;
    std::shared_ptr<mixer::MixerListener> m_listener;
};

} // namespace platform::headless
