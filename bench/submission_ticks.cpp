// The game's frame ticks while a score waits on a server that accepted the
// connection and then fell silent: the real SDL window loop (dummy video
// where there is no display) with the 「送信中…」 box over a duel, a real
// stalled server on loopback. Reported: the longest gap between two ticks.
#include "platform/headless/recorded_speech.h"
#include "platform/inet.h"
#include "platform/sdl/sdl_system.h"
#include "shell/KirikazeJApp.h"
#include "shell/KirikazeJDlg.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Sits between the window and the game: the first tick sends the score, and
// every tick is timed.
class TickTimes : public platform::WindowEvents, public platform::WindowSystem {
public:
    TickTimes(platform::WindowSystem& real, CKirikazeJDlg& dlg) : m_real(real), m_dlg(dlg) {}
    std::unique_ptr<platform::Window> CreateMainWindow(const platform::WindowSpec& layout,
                                                       platform::WindowEvents& events) override {
        m_game = &events;
        return m_real.CreateMainWindow(layout, *this);
    }
    void OnWindowTick(int timerId) override {
        times.push_back(Clock::now());
        if (sent) {
            return m_game->OnWindowTick(timerId);
        }
        sent = true;
        m_dlg.SendScore(1, 0);
        times.push_back(Clock::now());
        m_dlg.GetPlatformWindow()->EndModal(0);
    }
    void OnWindowKeyUp(int vk) override { m_game->OnWindowKeyUp(vk); }
    void OnWindowPaint() override { m_game->OnWindowPaint(); }
    void OnWindowDestroy() override { m_game->OnWindowDestroy(); }

    std::vector<Clock::time_point> times; // from the send to its end
    bool sent = false;

private:
    platform::WindowSystem& m_real;
    CKirikazeJDlg& m_dlg;
    platform::WindowEvents* m_game = nullptr;
};

void BM_TickGapWhileTheServerStalls(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::InetLimits limits;
    limits.exchangeTimeoutMs = 3000;
    const platform::InetLimits previous = platform::SetInetLimits(limits);
    std::atomic<bool> stopping{false};
    httplib::Server server;
    server.Get("/game/kirikaze/GameSet.asp", [&](const httplib::Request&, httplib::Response&) {
        while (!stopping) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    std::filesystem::current_path(KZ_DATA_DIR); // the game reads its pack from here
    double worst = 0;
    for (auto _ : state) {
        platform::sdl::SdlSystem system;
        platform::headless::RecordedSpeech speech;
        CKirikazeJApp app("kirikazeJ");
        CKirikazeJDlg dlg;
        TickTimes timing(*system.Installed().windows, dlg);
        platform::Services services = system.Installed();
        services.windows = &timing;
        services.speech = &speech;
        system.Reinstall(services);
        if (!dlg.Create()) {
            state.SkipWithError("no window");
            break;
        }
        dlg.m_reg.m_strServer = "http://127.0.0.1:" + std::to_string(port);
        dlg.ChangeScene(2, 1);
        dlg.DoModal();
        const auto& t = timing.times;
        for (size_t i = 1; i < t.size(); ++i) {
            worst =
                std::max(worst, std::chrono::duration<double, std::milli>(t[i] - t[i - 1]).count());
        }
    }
    state.counters["max_tick_gap_ms"] = worst;
    stopping = true;
    server.stop();
    serving.join();
    platform::SetInetLimits(previous);
}
BENCHMARK(BM_TickGapWhileTheServerStalls)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
