#include "mixer/mixer_listener.h"

#include "mixer/mixer_buffer.h"

#include <cmath>

namespace mixer {

bool MixerListener::SetPosition(float x, float y, float z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        return false;
    }
    m_position[0] = x;
    m_position[1] = y;
    m_position[2] = z;
    Moved();
    return true;
}

bool MixerListener::SetDopplerFactor(float factor) {
    if (!(factor >= 0.0f && factor <= 10.0f)) {
        return false;
    }
    m_doppler = factor;
    return true;
}

bool MixerListener::SetDistanceFactor(float factor) {
    if (!(factor > 0.0f) || !std::isfinite(factor)) {
        return false;
    }
    m_distanceFactor = factor;
    return true;
}

void MixerListener::GetPosition(float* x, float* y, float* z) const {
    *x = m_position[0];
    *y = m_position[1];
    *z = m_position[2];
}

void MixerListener::Attach(const std::shared_ptr<MixerBuffer>& buffer) {
    std::erase_if(m_buffers, [](const auto& weak) { return weak.expired(); });
    m_buffers.push_back(buffer);
}

void MixerListener::Moved() {
    for (const auto& weak : m_buffers) {
        if (auto buffer = weak.lock()) {
            buffer->UpdateGains();
        }
    }
}

} // namespace mixer
