#include "mixer/mixer_buffer.h"

#include "mixer/mixer.h"
#include "mixer/mixer_listener.h"

#include <algorithm>
#include <cmath>

namespace mixer {

namespace {

// Hundredths of a decibel to a gain; the bottom of the range is true silence.
float Attenuation(int32_t hundredthsDb) {
    if (hundredthsDb <= platform::kVolumeMin) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

struct Gains {
    float left = 1.0f;
    float right = 1.0f;
};

// A negative pan attenuates the right channel, a positive one the left.
Gains PanGains(int32_t pan) {
    Gains g;
    if (pan < 0) {
        g.right = Attenuation(pan);
    } else if (pan > 0) {
        g.left = Attenuation(-pan);
    }
    return g;
}

// A source at the origin heard from the listener: -6 dB per doubling of the
// distance between the minimum and the maximum distance, and a far ear up to
// 20 dB down as the source moves to one side. At the listener: centred, full.
Gains SpatialGains(const MixerListener& listener, float minDistance, float maxDistance) {
    float x, y, z;
    listener.GetPosition(&x, &y, &z);
    // The source relative to the listener, who faces +z with +x on the right.
    const double rx = -x, ry = -y, rz = -z;
    const double distance = std::sqrt(rx * rx + ry * ry + rz * rz);
    if (distance == 0.0) {
        return {};
    }
    const double heard =
        std::clamp<double>(distance, minDistance, std::max(minDistance, maxDistance));
    const auto level = static_cast<float>(minDistance / heard);
    const double side = rx / distance;
    Gains g = PanGains(static_cast<int32_t>(std::lround(side * 2000.0)));
    g.left *= level;
    g.right *= level;
    return g;
}

} // namespace

MixerBuffer::MixerBuffer(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener,
                         const platform::BufferDesc& desc, std::vector<float> samples)
    : m_mixer(std::move(mixer)), m_listener(std::move(listener)), m_voice(nullptr),
      m_flags(desc.flags), m_bytes(desc.bytes), m_blockAlign(desc.format.blockAlign),
      m_ownRate(desc.format.samplesPerSec) {
    m_voice = m_mixer->CreateVoice(std::move(samples), m_bytes / m_blockAlign, m_ownRate);
}

MixerBuffer::~MixerBuffer() {
    m_mixer->ReleaseVoice(m_voice);
}

uint32_t MixerBuffer::GetStatus() const {
    uint32_t status = m_mixer->Status(m_voice);
    return (status & Mixer::kStatusPlaying ? platform::kStatusPlaying : 0) |
           (status & Mixer::kStatusLooping ? platform::kStatusLooping : 0);
}

bool MixerBuffer::Play(uint32_t flags) {
    m_mixer->Play(m_voice, (flags & platform::kPlayLooping) != 0);
    return true;
}

bool MixerBuffer::Stop() {
    m_mixer->Stop(m_voice);
    return true;
}

bool MixerBuffer::SetCurrentPosition(uint32_t bytes) {
    if (bytes >= m_bytes) {
        return false;
    }
    m_mixer->SetPosition(m_voice, bytes / m_blockAlign);
    return true;
}

uint32_t MixerBuffer::GetCurrentPosition() const {
    return m_mixer->Position(m_voice) * m_blockAlign;
}

template <typename T> bool MixerBuffer::SetGainInput(T& field, T value, bool accepted) {
    if (!accepted) {
        return false;
    }
    field = value;
    UpdateGains();
    return true;
}

bool MixerBuffer::SetVolume(int32_t volume) {
    return SetGainInput(m_volume, volume,
                        Has(platform::kCtrlVolume) && volume >= platform::kVolumeMin &&
                            volume <= platform::kVolumeMax);
}

bool MixerBuffer::SetPan(int32_t pan) {
    return SetGainInput(m_pan, pan,
                        Has(platform::kCtrlPan) && pan >= platform::kPanLeft &&
                            pan <= platform::kPanRight);
}

bool MixerBuffer::SetFrequency(uint32_t hz) {
    if (!Has(platform::kCtrlFrequency)) {
        return false;
    }
    if (hz != platform::kFrequencyOriginal &&
        (hz < platform::kFrequencyMin || hz > platform::kFrequencyMax)) {
        return false;
    }
    m_frequency = hz;
    m_mixer->SetRate(m_voice, hz == platform::kFrequencyOriginal ? m_ownRate : hz);
    return true;
}

bool MixerBuffer::GetFrequency(uint32_t* hz) const {
    if (!Has(platform::kCtrlFrequency)) {
        return false;
    }
    *hz = m_frequency == platform::kFrequencyOriginal ? m_ownRate : m_frequency;
    return true;
}

std::shared_ptr<platform::Sound3DBuffer> MixerBuffer::Get3DBuffer() {
    if (!Has(platform::kCtrl3D)) {
        return nullptr;
    }
    // The 3D face keeps the whole buffer alive, as one object with two faces.
    return std::shared_ptr<platform::Sound3DBuffer>(shared_from_this(),
                                                    static_cast<platform::Sound3DBuffer*>(this));
}

bool MixerBuffer::SetMinDistance(float distance) {
    return SetGainInput(m_minDistance, distance, distance > 0.0f && std::isfinite(distance));
}

bool MixerBuffer::SetMaxDistance(float distance) {
    return SetGainInput(m_maxDistance, distance, distance > 0.0f && std::isfinite(distance));
}

void MixerBuffer::UpdateGains() {
    const float level = Attenuation(m_volume);
    Gains g = Has(platform::kCtrl3D) && m_listener
                  ? SpatialGains(*m_listener, m_minDistance, m_maxDistance)
                  : PanGains(m_pan);
    m_mixer->SetGains(m_voice, g.left * level, g.right * level);
}

} // namespace mixer
