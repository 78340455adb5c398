#include "mixer/mixer_device.h"

#include "mixer/mixer.h"
#include "mixer/mixer_buffer.h"
#include "mixer/mixer_listener.h"

#include <algorithm>
#include <vector>

namespace mixer {

MixerDevice::MixerDevice(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener)
    : m_mixer(std::move(mixer)), m_listener(std::move(listener)) {}

bool MixerDevice::SetCooperativeLevel(const void*, platform::CooperativeLevel level) {
    return level >= platform::CooperativeLevel::Normal &&
           level <= platform::CooperativeLevel::WritePrimary;
}

bool MixerDevice::Accepts(const platform::BufferDesc& desc) {
    const platform::WaveFormat& f = desc.format;
    if (f.formatTag != platform::kWaveFormatPcm || f.channels != 1) {
        return false;
    }
    if ((f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.blockAlign != f.bitsPerSample / 8) {
        return false;
    }
    if (f.samplesPerSec < platform::kFrequencyMin || f.samplesPerSec > platform::kFrequencyMax) {
        return false;
    }
    if (desc.bytes < f.blockAlign || desc.bytes > platform::kBufferBytesMax) {
        return false;
    }
    // A buffer is placed either by its pan or in space, never both.
    return !((desc.flags & platform::kCtrl3D) && (desc.flags & platform::kCtrlPan));
}

std::shared_ptr<platform::SoundBuffer>
MixerDevice::CreateSoundBuffer(const platform::BufferDesc& desc, std::span<const uint8_t> samples) {
    if (!Accepts(desc)) {
        return nullptr;
    }
    // Only the samples given are stored: a buffer larger than them holds
    // silence in the rest without it ever being allocated.
    const uint32_t width = desc.format.blockAlign;
    const size_t frames = std::min<size_t>(samples.size(), desc.bytes) / width;
    std::vector<float> mono(frames);
    for (size_t i = 0; i < frames; ++i) {
        if (width == 1) {
            mono[i] = (static_cast<int>(samples[i]) - 128) / 128.0f;
        } else {
            auto s = static_cast<int16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
            mono[i] = s / 32768.0f;
        }
    }
    auto buffer = std::make_shared<MixerBuffer>(m_mixer, m_listener, desc, std::move(mono));
    if (desc.flags & platform::kCtrl3D) {
        m_listener->Attach(buffer);
        buffer->UpdateGains();
    }
    return buffer;
}

std::shared_ptr<platform::SoundListener> MixerDevice::GetListener() {
    return m_listener;
}

} // namespace mixer
