// The cost of one frame of the duel while an attack is on: the frame's
// Update, a key release, and the mixer's 100 ms of output with the swing, the
// clash and the chance sounding.
#include "platform/headless/headless_system.h"
#include "scenes/SceenGame.h"
#include "shell/KirikazeJApp.h"
#include "shell/KirikazeJDlg.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_DuelAttackFrame(benchmark::State& state) {
    platform::headless::HeadlessSystem system(1000);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(KZ_DATA_DIR);
    CKirikazeJApp app("kirikazeJ");
    CKirikazeJDlg dlg;
    dlg.Create();
    dlg.ChangeScene(2, 2); // normal: from enemy 6 on, blows from all four sides
    CSceenGame& game = *dlg.m_pSceenGame;
    game.m_nEnemy = 6;
    auto& audio = system.Audio();
    const uint32_t frameFrames = audio.Rate() / 10;

    // Every frame measured opens an attack: the pause has just run out, the
    // swing starts, the player blocks at once and the chance opens.
    auto attackFrame = [&] {
        game.m_nState = CSceenGame::kPause;
        game.m_dwDeadline = static_cast<int>(platform::GetTickCount());
        game.m_nBlocksLeft = 0;
        game.Update();
        static const unsigned kBlock[5] = {0, '7', '9', '1', '3'};
        game.OnKey(kBlock[game.m_nPicture]);
        benchmark::DoNotOptimize(audio.Render(frameFrames));
    };
    attackFrame(); // the first frame reads the sound files; later ones never do
    for (auto _ : state) {
        attackFrame();
    }
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    dlg.ReleaseScenes();
    std::filesystem::current_path(old);
}
BENCHMARK(BM_DuelAttackFrame)->Unit(benchmark::kMicrosecond);

} // namespace
