// Tells the gain that brings a voice to the pack's loudness.
//   kz_measure_loudness <rate> <target LUFS> <peak ceiling dBFS> < samples
// reads 16-bit little-endian mono samples and prints the recording's
// integrated loudness and the gain in dB that brings it to the target, less
// where its peak would otherwise pass the ceiling.
#include "loudness.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <rate> <target LUFS> <peak ceiling dBFS> < samples\n", argv[0]);
        return 2;
    }
    Loudness meter(std::atoi(argv[1]));
    std::vector<double> samples;
    uint8_t pair[2];
    while (std::fread(pair, 1, 2, stdin) == 2) {
        samples.push_back(int16_t(pair[0] | pair[1] << 8) / 32768.0);
    }
    meter.Add(samples);
    const double loudness = meter.Integrated();
    if (samples.empty() || loudness < -70.0) {
        std::fprintf(stderr, "%s: the recording is silent\n", argv[0]);
        return 1;
    }
    const double gain = std::min(std::atof(argv[2]) - loudness, std::atof(argv[3]) - meter.PeakDb());
    std::printf("%.2f %.2f\n", loudness, gain);
    return 0;
}
