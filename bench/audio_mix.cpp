// The mixer's cost per second of output and the images its resampling leaves.
#include "mixer/mixer.h"
#include "platform/headless/rendered_audio.h"

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

// Everything in the output that is not the played tone, against the tone:
// the images and aliasing of the resampler (and the float noise floor).
void BM_ResamplingSpurious(benchmark::State& state) {
    const double hz = static_cast<double>(state.range(0));
    const auto rate = static_cast<uint32_t>(state.range(1));
    double spuriousDb = 0.0;
    for (auto _ : state) {
        mixer::Mixer mixer(kOutputRate);
        auto* voice = mixer.CreateVoice(Tone(hz, 22050, 22050), 22050, rate);
        mixer.Play(voice, true);
        std::vector<float> out(2 * kOutputRate / 2);
        mixer.Render(out.data(), kOutputRate / 2);
        platform::headless::RenderedAudio heard(std::move(out), kOutputRate);
        // Fit the expected tone (least squares) and measure what is left.
        const double w = 2.0 * std::numbers::pi * hz * rate / 22050.0 / kOutputRate;
        double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
        for (uint32_t i = 0; i < heard.Frames(); ++i) {
            double c = std::cos(w * i), s = std::sin(w * i);
            double x = heard.Sample(platform::headless::Channel::Left, i);
            cc += c * c, ss += s * s, cs += c * s, xc += x * c, xs += x * s;
        }
        double det = cc * ss - cs * cs;
        double a = (xc * ss - xs * cs) / det, b = (xs * cc - xc * cs) / det;
        double tone = 0, rest = 0;
        for (uint32_t i = 0; i < heard.Frames(); ++i) {
            double fit = a * std::cos(w * i) + b * std::sin(w * i);
            double x = heard.Sample(platform::headless::Channel::Left, i);
            tone += fit * fit;
            rest += (x - fit) * (x - fit);
        }
        spuriousDb = 10.0 * std::log10(rest / tone);
    }
    state.counters["spurious_dB"] = spuriousDb;
}
BENCHMARK(BM_ResamplingSpurious)
    ->Args({441, 22050})
    ->Args({1000, 24200})
    ->Args({3000, 24200})
    ->Args({5000, 24200})
    ->Args({1000, 13200})
    ->Args({5000, 13200})
    ->Iterations(1);

} // namespace
