#include "backends/headless/headless_audio.h"

#include "mixer/mixer.h"
#include "mixer/mixer_device.h"
#include "mixer/mixer_listener.h"

#include <vector>

namespace platform::headless {

HeadlessAudio::HeadlessAudio(uint32_t rate)
    : m_rate(rate), m_mixer(std::make_shared<mixer::Mixer>(rate)),
      m_listener(std::make_shared<mixer::MixerListener>()) {}

HeadlessAudio::~HeadlessAudio() = default;

std::shared_ptr<AudioDevice> HeadlessAudio::CreateDevice() {
    return std::make_shared<mixer::MixerDevice>(m_mixer, m_listener);
}

RenderedAudio HeadlessAudio::Render(uint32_t frames) {
    std::vector<float> out(2 * size_t{frames});
    m_mixer->Render(out.data(), frames);
    return RenderedAudio(std::move(out), m_mixer->OutputRate());
}

RenderedAudio HeadlessAudio::RenderMs(uint32_t ms) {
    return Render(static_cast<uint32_t>(uint64_t{ms} * m_mixer->OutputRate() / 1000));
}

} // namespace platform::headless
