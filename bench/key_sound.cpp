// From a key's release to its sound at the output, heard on the monitor of the
// PulseAudio server in reach: the whole game (its SDL window loop, the menu,
// our mixer and SDL output) beside a bare SDL program that clicks from its
// callback on the same release, at the same period in the same run. The
// recorder's own delay is in both alike, so game minus bare is what the game
// adds. Argument: the period of both, or 0 for the game's own choice beside
// a bare 256. scripts/try-key-sound runs it on a server and screen of its own.
#include "audio/SoundFile.h"
#include "backends/headless/recorded_speech.h"
#include "backends/sdl/sdl_system.h"
#include "scenes/SceenMenu.h"
#include "shell/KirikazeJApp.h"
#include "shell/KirikazeJDlg.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
constexpr int kRate = 48000;
constexpr int kChunk = 32;     // frames the recorder takes at a time
constexpr float kLoud = 1e-3f; // -60 dBFS
constexpr int kPresses = 40;   // per program and round
constexpr int kWarmUp = 2;     // presses not counted: the output and loop start
constexpr int kRounds = 2;     // bare and game take turns against drift

// The output as the server plays it, each sample timed on our clock.
class Monitor {
public:
    Monitor() {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
        const pa_buffer_attr attr{~0u, ~0u, ~0u, ~0u, kChunk * sizeof(float)};
        m_pa = pa_simple_new(nullptr, "kz_bench", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                             "key to sound", &format, nullptr, &attr, nullptr);
        m_thread = std::thread([this] { Record(); });
    }
    ~Monitor() {
        m_stop = true;
        m_thread.join();
        if (m_pa) {
            pa_simple_free(m_pa);
        }
    }
    bool Open() const { return m_pa != nullptr; }

    // Waits for a quiet output and a random moment of a period, releases Left
    // as X would and returns the seconds until the first sound came, -1 for none.
    double Time(double period) {
        static std::mt19937 random(7);
        std::unique_lock lock(m_mutex);
        while (Clock::now() - m_lastLoud < std::chrono::milliseconds(200)) {
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
        }
        lock.unlock();
        std::this_thread::sleep_for(Seconds(std::uniform_real_distribution(0.0, period)(random)));
        lock.lock();
        m_heard.reset();
        m_armed = true;
        SDL_Event up{.key = {.type = SDL_KEYUP,
                             .keysym = {.scancode = SDL_SCANCODE_LEFT, .sym = SDLK_LEFT}}};
        const auto pressed = Clock::now();
        SDL_PushEvent(&up);
        m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_heard.has_value(); });
        m_armed = false;
        return m_heard ? Seconds(*m_heard - pressed).count() : -1;
    }

private:
    void Record() {
        float chunk[kChunk];
        while (m_pa && !m_stop && pa_simple_read(m_pa, chunk, sizeof chunk, nullptr) >= 0) {
            const auto now = Clock::now();
            for (int i = 0; i < kChunk; ++i) {
                if (std::fabs(chunk[i]) > kLoud) {
                    const auto at = now - std::chrono::duration_cast<Clock::duration>(
                                              Seconds(double(kChunk - 1 - i) / kRate));
                    std::lock_guard lock(m_mutex);
                    m_lastLoud = at;
                    if (m_armed && !m_heard) {
                        m_heard = at;
                        m_wake.notify_all();
                    }
                }
            }
        }
    }

    pa_simple* m_pa = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Clock::time_point m_lastLoud{};
    std::optional<Clock::time_point> m_heard;
    bool m_armed = false;
};

// Releases Left from another thread, then closes the program.
void Presser(Monitor& monitor, double period, std::vector<double>& heard) {
    for (int i = -kWarmUp; i < kPresses; ++i) {
        const double sound = monitor.Time(period);
        if (i >= 0) {
            heard.push_back(sound);
        }
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

std::atomic<bool> g_click{false};

void RunBare(Monitor& monitor, uint32_t period, std::vector<double>& heard) {
    SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
    SDL_Window* window = SDL_CreateWindow("bare", 0, 0, 160, 120, SDL_WINDOW_SHOWN);
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(period);
    want.callback = [](void*, Uint8* stream, int bytes) {
        const bool click = g_click.exchange(false);
        auto* out = reinterpret_cast<float*>(stream);
        for (int i = 0; i < bytes / 4; ++i) {
            out[i] = click && i < 128 ? 0.5f : 0.0f;
        }
    };
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    SDL_PauseAudioDevice(device, 0);
    std::thread presser([&] { Presser(monitor, double(period) / kRate, heard); });
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
        if (event.type == SDL_KEYUP) {
            g_click = true;
        }
    }
    presser.join();
    SDL_CloseAudioDevice(device);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

// The menu speaks the item it is on at every key; its greeting and music are
// stopped first, and the voice's own lead-in is taken off.
void RunGame(Monitor& monitor, uint32_t period, std::vector<double>& heard) {
    platform::sdl::SdlSystem system;
    platform::headless::RecordedSpeech speech;
    platform::Services services = system.Installed();
    services.speech = &speech;
    system.Reinstall(services);
    CKirikazeJApp app("kirikazeJ");
    CKirikazeJDlg dlg;
    if (!dlg.Create() || !dlg.m_pSceenMenu) {
        return;
    }
    SoundFileData voice; // the item the menu stays on
    ReadSoundFile(dlg.m_strDataDir + "\\sound\\menu\\tutorial.ywv", &voice);
    size_t lead = 0;
    while (lead + 1 < voice.samples.size() &&
           std::abs(int16_t(voice.samples[lead] | voice.samples[lead + 1] << 8)) < 32768 * kLoud) {
        lead += 2;
    }
    dlg.m_pSceenMenu->m_sound.Stop(8);
    dlg.m_pSceenMenu->m_sound.Stop(9);
    std::thread presser([&] { Presser(monitor, double(period ? period : 256) / kRate, heard); });
    dlg.DoModal();
    presser.join();
    for (double& h : heard) {
        h -= h < 0 ? 0 : double(lead / 2) / voice.format.samplesPerSec;
    }
}

double At(std::vector<double> v, double q) {
    std::erase(v, -1.0);
    if (v.empty()) {
        return NAN;
    }
    std::sort(v.begin(), v.end());
    return 1000 * v[static_cast<size_t>(q * double(v.size() - 1))];
}

void BM_KeyToSound(benchmark::State& state) {
    const auto period = static_cast<uint32_t>(state.range(0));
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    if (period) {
        setenv("KZ_AUDIO_PERIOD", std::to_string(period).c_str(), 1);
    } else {
        unsetenv("KZ_AUDIO_PERIOD");
    }
    std::filesystem::current_path(KZ_DATA_DIR); // the game reads its pack from here
    Monitor monitor;
    std::vector<double> bare; // seconds from each release to its sound, -1 for none
    std::vector<double> game;
    for (auto _ : state) {
        if (!monitor.Open()) {
            state.SkipWithError("no PulseAudio server to hear the output on");
            break;
        }
        for (int round = 0; round < kRounds; ++round) {
            RunBare(monitor, period ? period : 256, bare);
            RunGame(monitor, period, game);
        }
    }
    for (const double q : {0.5, 0.9}) {
        const std::string name = q == 0.5 ? "median" : "p90";
        state.counters["bare_" + name + "_ms"] = At(bare, q);
        state.counters["game_" + name + "_ms"] = At(game, q);
        state.counters["added_" + name + "_ms"] = At(game, q) - At(bare, q);
    }
    state.counters["unheard"] =
        double(std::ranges::count(bare, -1.0) + std::ranges::count(game, -1.0));
}
BENCHMARK(BM_KeyToSound)->Arg(512)->Arg(256)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
