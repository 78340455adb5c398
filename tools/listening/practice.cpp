#include "listening/practice.h"

#include "audio/SoundPlay.h"
#include "platform/headless/headless_system.h"
#include "platform/window.h"

namespace listening {

namespace {

// The practice room's window only has to exist: the sound device is bound to it.
class QuietRoom : public platform::WindowEvents {
public:
    void OnWindowTick(int) override {}
    void OnWindowKeyUp(int) override {}
    void OnWindowPaint() override {}
    void OnWindowDestroy() override {}
};

std::vector<float> Interleaved(const platform::headless::RenderedAudio& audio) {
    using platform::headless::Channel;
    std::vector<float> samples;
    samples.reserve(static_cast<size_t>(audio.Frames()) * 2);
    for (uint32_t i = 0; i < audio.Frames(); ++i) {
        samples.push_back(audio.Sample(Channel::Left, i));
        samples.push_back(audio.Sample(Channel::Right, i));
    }
    return samples;
}

} // namespace

PitchMemory PractiseSwings(const std::string& dataDir) {
    platform::headless::HeadlessSystem system;
    QuietRoom room;
    auto window = system.Windows().CreateMainWindow({64, 64, "practice", {}}, room);
    PitchMemory memory;
    {
        CSoundPlay practice;
        practice.m_nDevice = 1; // pan mode, as in the duel
        practice.CreateDevice(window.get());
        practice.AddSound(dataDir + "\\sound\\huri.ywv", 0);
        for (uint32_t frequency : {22000u, 12000u}) {
            practice.Play(0, 0);
            practice.SetPan(0, platform::kPanLeft);
            practice.SetFrequency(0, frequency);
            auto heard = system.Audio().RenderMs(300);
            double crossings =
                SideCrossingsPerSecond(Interleaved(heard), static_cast<int>(heard.Rate()));
            (frequency == 22000 ? memory.fHighCrossings : memory.fLowCrossings) = crossings;
        }
    }
    window->Destroy();
    return memory;
}

} // namespace listening
