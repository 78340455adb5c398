#pragma once
// A static sound buffer over one mixer voice: keeps the buffer's volume, pan,
// rate and 3D distances, and turns them into the voice's gains and rate.

#include "platform/sound.h"

#include <memory>
#include <vector>

namespace mixer {

class Mixer;
class MixerListener;
struct MixerVoice;

class MixerBuffer : public platform::SoundBuffer,
                    public platform::Sound3DBuffer,
                    public std::enable_shared_from_this<MixerBuffer> {
public:
    // desc must already be valid (see MixerDevice); listener is used by 3D buffers.
    MixerBuffer(std::shared_ptr<Mixer> mixer, std::shared_ptr<MixerListener> listener,
                const platform::BufferDesc& desc, std::vector<float> samples);
    ~MixerBuffer() override;

    uint32_t GetStatus() const override;
    bool Play(uint32_t flags) override;
    bool Stop() override;
    bool SetCurrentPosition(uint32_t bytes) override;
    uint32_t GetCurrentPosition() const override;
    bool SetVolume(int32_t volume) override;
    int32_t GetVolume() const override { return m_volume; }
    bool SetPan(int32_t pan) override;
    int32_t GetPan() const override { return m_pan; }
    bool SetFrequency(uint32_t hz) override;
    bool GetFrequency(uint32_t* hz) const override;
    std::shared_ptr<platform::Sound3DBuffer> Get3DBuffer() override;

    bool SetMinDistance(float distance) override;
    bool SetMaxDistance(float distance) override;
    float GetMinDistance() const override { return m_minDistance; }
    float GetMaxDistance() const override { return m_maxDistance; }

    // Recomputes the voice's gains (the listener calls it when it moves).
    void UpdateGains();

private:
    bool Has(uint32_t control) const { return (m_flags & control) != 0; }
    // Takes a value that changes the voice's gains, when it is accepted.
    template <typename T> bool SetGainInput(T& field, T value, bool accepted);

    std::shared_ptr<Mixer> m_mixer;
    std::shared_ptr<MixerListener> m_listener;
    MixerVoice* m_voice;
    const uint32_t m_flags;
    const uint32_t m_bytes;
    const uint32_t m_blockAlign;
    const uint32_t m_ownRate;
    int32_t m_volume = 0;
    int32_t m_pan = 0;
    uint32_t m_frequency = platform::kFrequencyOriginal;
    float m_minDistance = 1.0f;
    float m_maxDistance = 1.0e9f;
};

} // namespace mixer
