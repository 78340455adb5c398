// From Play to the output period that carries the sound's first frame, on the
// real SDL output (SDL_AUDIODRIVER picks the driver; dummy when unset). The
// sound starts at the first frame of the first period rendered after Play, so
// the frames reported are the frames of output that went by before it.
#include "platform/sdl/sdl_audio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void BM_SdlPlayLatency(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::sdl::SdlAudioSystem system;
    auto device = system.CreateDevice();
    if (!device) {
        state.SkipWithError("no audio device");
        return;
    }
    platform::BufferDesc desc;
    desc.flags = platform::kCtrlPan | platform::kCtrlVolume | platform::kCtrlFrequency;
    desc.bytes = 22050 * 2;
    desc.format = {1, 1, 22050, 44100, 2, 16, 0};
    std::vector<uint8_t> silence(desc.bytes, 0);
    auto buffer = device->CreateSoundBuffer(desc, silence);
    const double periodSeconds = double(system.Period()) / system.Rate();
    std::mt19937 random(7);
    std::uniform_real_distribution<double> phase(0.0, periodSeconds);
    std::vector<double> frames;

    for (auto _ : state) {
        buffer->Stop();
        buffer->SetCurrentPosition(0);
        while (buffer->GetStatus() != 0 || buffer->GetCurrentPosition() != 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        // Key releases come at any moment of a period.
        std::this_thread::sleep_for(std::chrono::duration<double>(phase(random)));
        auto start = Clock::now();
        buffer->Play(0);
        while (buffer->GetCurrentPosition() == 0) {
            std::this_thread::yield();
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        frames.push_back(seconds * system.Rate());
    }
    state.counters["period_frames"] = system.Period();
    state.counters["rate"] = system.Rate();
    std::sort(frames.begin(), frames.end());
    auto at = [&frames](double q) { return frames[static_cast<size_t>(q * (frames.size() - 1))]; };
    state.counters["median_frames"] = at(0.5);
    state.counters["p95_frames"] = at(0.95);
    state.counters["max_frames"] = frames.back();
}
BENCHMARK(BM_SdlPlayLatency)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace
