// The mixer's cost per second of output.
#include "mixer/mixer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kOutputRate = 48000;
constexpr uint32_t kPeriod = 512;

std::vector<float> Tone(double hz, uint32_t rate, uint32_t frames) {
    std::vector<float> s(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        s[i] = static_cast<float>(0.25 * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    }
    return s;
}

// N voices of 22050 Hz sounds, all resampled (the duel's high, low and own
// rates, none equal to the output's), looping so every period mixes all N.
void BM_MixVoices(benchmark::State& state) {
    const auto voices = static_cast<uint32_t>(state.range(0));
    mixer::Mixer mixer(kOutputRate);
    const uint32_t rates[] = {24200, 13200, 22050};
    for (uint32_t v = 0; v < voices; ++v) {
        auto* voice = mixer.CreateVoice(Tone(200.0 + 13.0 * v, 22050, 22050), 22050, rates[v % 3]);
        mixer.SetGains(voice, 0.1f, 0.05f);
        mixer.Play(voice, true);
    }
    std::vector<float> out(2 * kPeriod);
    for (auto _ : state) {
        mixer.Render(out.data(), kPeriod);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    // Seconds of output made per second of one core: "times real time".
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPeriod / kOutputRate,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixVoices)->Arg(1)->Arg(8)->Arg(32)->Arg(139);

} // namespace
