#include "backends/headless/rendered_audio.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace platform::headless {

RenderedAudio::RenderedAudio(std::vector<float> interleaved, uint32_t rate)
    : m_samples(std::move(interleaved)), m_rate(rate) {
    m_samples.resize(m_samples.size() / 2 * 2);
}

float RenderedAudio::Sample(Channel channel, uint32_t frame) const {
    return m_samples[2 * size_t{frame} + static_cast<size_t>(channel)];
}

double RenderedAudio::EnergyDb(Channel channel) const {
    double sum = 0.0;
    for (uint32_t i = 0; i < Frames(); ++i) {
        double s = Sample(channel, i);
        sum += s * s;
    }
    if (sum == 0.0) {
        return -std::numeric_limits<double>::infinity();
    }
    return 10.0 * std::log10(sum / Frames());
}

double RenderedAudio::FrequencyHz(Channel channel) const {
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (uint32_t i = 1; i < Frames(); ++i) {
        double a = Sample(channel, i - 1), b = Sample(channel, i);
        if (a < 0.0 && b >= 0.0) {
            double at = (i - 1) + a / (a - b);
            if (crossings++ == 0) {
                first = at;
            }
            last = at;
        }
    }
    if (crossings < 2 || last <= first) {
        return 0.0;
    }
    return (crossings - 1) * m_rate / (last - first);
}

uint32_t RenderedAudio::FirstFrameAbove(double thresholdDb) const {
    const double limit = std::pow(10.0, thresholdDb / 20.0);
    for (uint32_t i = 0; i < Frames(); ++i) {
        if (std::abs(Sample(Channel::Left, i)) > limit ||
            std::abs(Sample(Channel::Right, i)) > limit) {
            return i;
        }
    }
    return Frames();
}

RenderedAudio RenderedAudio::Slice(uint32_t from, uint32_t count) const {
    from = std::min(from, Frames());
    count = std::min(count, Frames() - from);
    auto begin = m_samples.begin() + 2 * std::ptrdiff_t{from};
    return RenderedAudio(std::vector<float>(begin, begin + 2 * std::ptrdiff_t{count}), m_rate);
}

} // namespace platform::headless
