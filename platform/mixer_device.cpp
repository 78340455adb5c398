#include "platform/mixer_device.h"

#include "platform/mixer.h"
#include "platform/mixer_buffer.h"
#include "platform/mixer_listener.h"

#include <algorithm>
#include <vector>

namespace platform {

MixerDevice::MixerDevice(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener)
    : m_mixer(std::move(mixer)), m_listener(std::move(listener)) {}

bool MixerDevice::SetCooperativeLevel(const Window*, CooperativeLevel level) {
    return level >= CooperativeLevel::Normal && level <= CooperativeLevel::WritePrimary;
}

bool MixerDevice::Accepts(const BufferDesc& desc) {
    const WaveFormat& f = desc.format;
    if (f.formatTag != kWaveFormatPcm || f.channels != 1) {
        return false;
    }
    if ((f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.blockAlign != f.bitsPerSample / 8) {
        return false;
    }
    if (f.samplesPerSec < kFrequencyMin || f.samplesPerSec > kFrequencyMax) {
        return false;
    }
    if (desc.bytes < f.blockAlign || desc.bytes > kBufferBytesMax) {
        return false;
    }
    // A buffer is placed either by its pan or in space, never both.
    return !((desc.flags & kCtrl3D) && (desc.flags & kCtrlPan));
}

std::shared_ptr<SoundBuffer> MixerDevice::CreateSoundBuffer(const BufferDesc& desc,
                                                            std::span<const uint8_t> samples) {
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
    if (desc.flags & kCtrl3D) {
        m_listener->Attach(buffer);
        buffer->UpdateGains();
    }
    return buffer;
}

std::shared_ptr<SoundListener> MixerDevice::GetListener() {
    return m_listener;
}

} // namespace platform
