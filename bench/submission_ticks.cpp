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
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Sits between the window and the game and notes when every tick arrives.
class TickTimes : public platform::WindowEvents, public platform::WindowSystem {
public:
    explicit TickTimes(platform::WindowSystem& real) : m_real(real) {}

    std::unique_ptr<platform::Window> CreateMainWindow(const platform::WindowSpec& layout,
                                                       platform::WindowEvents& events) override {
        m_game = &events;
        return m_real.CreateMainWindow(layout, *this);
    }
    void OnWindowTick(int timerId) override {
        times.push_back(Clock::now());
        if (onTick && !m_inTick && !m_onTickDone) {
            m_inTick = true;
            onTick();
            m_inTick = false;
            m_onTickDone = true;
            return;
        }
        m_game->OnWindowTick(timerId);
    }
    void OnWindowKeyUp(int vk) override { m_game->OnWindowKeyUp(vk); }
    void OnWindowPaint() override { m_game->OnWindowPaint(); }
    void OnWindowDestroy() override { m_game->OnWindowDestroy(); }

    std::vector<Clock::time_point> times;
    std::function<void()> onTick;

private:
    platform::WindowSystem& m_real;
    platform::WindowEvents* m_game = nullptr;
    bool m_inTick = false;
    bool m_onTickDone = false;
};

void BM_TickGapWhileTheServerStalls(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::InetLimits limits;
    limits.exchangeTimeoutMs = 3000;
    const platform::InetLimits previous = platform::SetInetLimits(limits);
    // Takes the request and says nothing until the benchmark is over.
    std::atomic<bool> stopping{false};
    httplib::Server server;
    server.Get("/game/kirikaze/GameSet.asp", [&](const httplib::Request&, httplib::Response&) {
        while (!stopping) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(KZ_DATA_DIR);

    double worst = 0;
    int ticks = 0;
    for (auto _ : state) {
        platform::sdl::SdlSystem system;
        platform::headless::RecordedSpeech speech;
        TickTimes timing(*system.Installed().windows);
        platform::Services services = system.Installed();
        services.windows = &timing;
        services.speech = &speech;
        system.Reinstall(services);
        CKirikazeJApp app("kirikazeJ");
        CKirikazeJDlg dlg;
        if (!dlg.Create()) {
            state.SkipWithError("no window");
            break;
        }
        dlg.m_reg.m_strServer = "http://127.0.0.1:" + std::to_string(port);
        dlg.ChangeScene(2, 1);
        Clock::time_point start;
        Clock::time_point end;
        bool sent = false;
        timing.onTick = [&] {
            if (sent) {
                return;
            }
            sent = true;
            start = Clock::now();
            dlg.SendScore(1, 0);
            end = Clock::now();
            dlg.GetPlatformWindow()->EndModal(0);
        };
        dlg.DoModal();
        std::vector<Clock::time_point> during{start};
        for (const auto t : timing.times) {
            if (t > start && t < end) {
                during.push_back(t);
            }
        }
        during.push_back(end);
        ticks = static_cast<int>(during.size()) - 2;
        for (size_t i = 1; i < during.size(); ++i) {
            worst = std::max(
                worst,
                std::chrono::duration<double, std::milli>(during[i] - during[i - 1]).count());
        }
    }
    state.counters["max_tick_gap_ms"] = worst;
    state.counters["ticks_while_waiting"] = ticks;
    stopping = true;
    server.stop();
    serving.join();
    std::filesystem::current_path(oldDir);
    platform::SetInetLimits(previous);
}
BENCHMARK(BM_TickGapWhileTheServerStalls)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
