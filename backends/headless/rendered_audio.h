#pragma once
// Stereo audio a test has rendered, with the measures a listener's ear makes:
// how loud each side is, and at what pitch it sounds.

#include <cstdint>
#include <vector>

namespace platform::headless {

enum class Channel { Left = 0, Right = 1 };

class RenderedAudio {
public:
    RenderedAudio() = default;
    RenderedAudio(std::vector<float> interleaved, uint32_t rate);

    uint32_t Frames() const { return static_cast<uint32_t>(m_samples.size() / 2); }
    uint32_t Rate() const { return m_rate; }
    float Sample(Channel channel, uint32_t frame) const;

    // Root-mean-square level against full scale; -infinity for digital silence.
    double EnergyDb(Channel channel) const;
    // The pitch of a periodic signal, from its rising zero crossings
    // (interpolated between samples); 0 with fewer than two crossings.
    double FrequencyHz(Channel channel) const;
    // The first frame louder than the threshold on either side; Frames() if none.
    uint32_t FirstFrameAbove(double thresholdDb) const;

    RenderedAudio Slice(uint32_t from, uint32_t count) const;

private:
    std::vector<float> m_samples; // interleaved left, right
    uint32_t m_rate = 0;
};

} // namespace platform::headless
