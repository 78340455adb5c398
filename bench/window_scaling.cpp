// The enlarged window's cost per shown frame: the game's 732 x 570 picture
// scaled into common window sizes, nearest pixel, black bars included. The
// game repaints at most ten times a second, so a few milliseconds are nothing
// next to its 100 ms frame.
#include "ui/window_scaling.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ScaleToWindow(benchmark::State& state) {
    platform::PixelImage picture;
    picture.width = 732;
    picture.height = 570;
    picture.pixels.resize(size_t(732) * 570);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    }
    const ui::WindowScaling scaling(732, 570, static_cast<int>(state.range(0)),
                                    static_cast<int>(state.range(1)));
    platform::PixelImage window;
    for (auto _ : state) {
        scaling.Render(picture, window);
        benchmark::DoNotOptimize(window.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_ScaleToWindow)
    ->Args({1464, 1140}) // scale=2
    ->Args({1920, 1080}) // maximised on a full-HD screen
    ->Args({3840, 2160}) // maximised on a 4K screen
    ->Unit(benchmark::kMillisecond);

} // namespace
