#pragma once
#include <cstdint>
#include <vector>

// Integrated loudness of a mono recording as ITU-R BS.1770-4 measures it:
// K-weighted, in 400 ms blocks overlapping by 75 %, gated at -70 LUFS and
// 10 LU under the ungated level. Plain double arithmetic in a fixed order, so
// the same samples always give the same figure.
class Loudness {
public:
    explicit Loudness(int rate);
    // Samples in -1 ... 1.
    void Add(const std::vector<double>& samples);
    // LUFS; -inf for silence. A recording shorter than one block is measured
    // as one block of its own length, so a short word still has a loudness.
    double Integrated() const;
    // The largest sample's level, dBFS.
    double PeakDb() const;

private:
    struct Biquad {
        double b0, b1, b2, a1, a2;
        double z1 = 0, z2 = 0;
        double Run(double x);
    };
    int m_rate;
    Biquad m_shelf, m_highpass;
    std::vector<double> m_weighted; // K-weighted squares
    double m_peak = 0;
};
