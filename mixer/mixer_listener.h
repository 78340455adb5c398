#pragma once
// The one listener of a mixer's output. Only its position changes what is
// heard: buffers never move from the origin and never get a velocity, so the
// Doppler factor (and the distance factor, which only scales velocities) is
// kept and reported but shifts nothing.

#include "platform/sound.h"

#include <memory>
#include <vector>

namespace mixer {

class MixerBuffer;

class MixerListener : public platform::SoundListener {
public:
    bool SetPosition(float x, float y, float z) override;
    bool SetDopplerFactor(float factor) override;
    bool SetDistanceFactor(float factor) override;
    void GetPosition(float* x, float* y, float* z) const override;
    float GetDopplerFactor() const override { return m_doppler; }
    float GetDistanceFactor() const override { return m_distanceFactor; }

    // 3D buffers whose gains follow the listener.
    void Attach(const std::shared_ptr<MixerBuffer>& buffer);

private:
    void Moved();

    float m_position[3] = {0.0f, 0.0f, 0.0f};
    float m_doppler = 1.0f;
    float m_distanceFactor = 1.0f;
    std::vector<std::weak_ptr<MixerBuffer>> m_buffers;
};

} // namespace mixer
