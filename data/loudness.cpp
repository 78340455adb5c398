#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// The K-weighting's two stages as analogue prototypes (centre frequency, gain,
// Q), turned into filters for any sample rate by the bilinear transform; at
// 48 kHz they give the coefficients BS.1770 tabulates.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kHighpassHz = 38.13547087602444;
constexpr double kHighpassQ = 0.5003270373238773;

double BlockLoudness(double meanSquare) {
    return -0.691 + 10.0 * std::log10(meanSquare);
}

} // namespace

double Loudness::Biquad::Run(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
}

Loudness::Loudness(int rate) : m_rate(rate) {
    double k = std::tan(std::numbers::pi * kShelfHz / rate);
    const double vh = std::pow(10.0, kShelfGainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / kShelfQ + k * k;
    m_shelf = {(vh + vb * k / kShelfQ + k * k) / a0, 2.0 * (k * k - vh) / a0,
               (vh - vb * k / kShelfQ + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
               (1.0 - k / kShelfQ + k * k) / a0};
    k = std::tan(std::numbers::pi * kHighpassHz / rate);
    a0 = 1.0 + k / kHighpassQ + k * k;
    m_highpass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / kHighpassQ + k * k) / a0};
}

void Loudness::Add(const std::vector<double>& samples) {
    for (double x : samples) {
        m_peak = std::max(m_peak, std::abs(x));
        const double y = m_highpass.Run(m_shelf.Run(x));
        m_weighted.push_back(y * y);
    }
}

double Loudness::Integrated() const {
    const size_t block = size_t(m_rate) * 4 / 10, step = block / 4;
    std::vector<double> blocks;
    double sum = 0;
    if (m_weighted.size() < block) {
        for (double s : m_weighted) {
            sum += s;
        }
        blocks.push_back(m_weighted.empty() ? 0.0 : sum / double(m_weighted.size()));
        sum = 0;
    }
    for (size_t i = 0; i < m_weighted.size(); ++i) {
        sum += m_weighted[i];
        if (i >= block) {
            sum -= m_weighted[i - block];
        }
        if (i + 1 >= block && (i + 1 - block) % step == 0) {
            blocks.push_back(sum / double(block));
        }
    }
    // The mean of the blocks above a gate, as a loudness.
    auto gated = [&](double gate) {
        double total = 0;
        size_t n = 0;
        for (double z : blocks) {
            if (z > 0 && BlockLoudness(z) > gate) {
                total += z;
                ++n;
            }
        }
        return n == 0 ? -std::numeric_limits<double>::infinity() : BlockLoudness(total / double(n));
    };
    const double ungated = gated(-70.0);
    return std::isinf(ungated) ? ungated : gated(std::max(-70.0, ungated - 10.0));
}

double Loudness::PeakDb() const {
    return 20.0 * std::log10(m_peak);
}
