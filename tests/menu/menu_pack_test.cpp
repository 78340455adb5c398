// The menu in the data pack the build made, heard sample for sample: the
// output runs at the files' own rate, where a centred sound at full level
// comes out exactly as it is stored.
#include "audio/SoundFile.h"
#include "shell_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using platform::headless::Channel;
using platform::headless::HeadlessAudio;
using platform::headless::RenderedAudio;

// The game started in the generated data folder, as scripts/play starts it,
// heard at 22050 Hz.
struct PackGame {
    PackGame() {
        platform::Services services = game.system.Installed();
        services.audio = &ear;
        game.system.Reinstall(services);
        game.Start();
    }
    HeadlessAudio ear{22050};
    kztest::Game game{1000, KZ_DATA_DIR};
};

// A pack file's samples in -1 ... 1, read by the game's own reader.
std::vector<float> Samples(const std::string& file) {
    SoundFileData data;
    EXPECT_TRUE(ReadSoundFile(KZ_DATA_DIR + file, &data)) << file;
    std::vector<float> samples;
    for (size_t i = 0; i + 1 < data.samples.size(); i += 2) {
        samples.push_back(int16_t(data.samples[i] | data.samples[i + 1] << 8) / 32768.0f);
    }
    return samples;
}

// The largest difference between what was heard and what the files hold
// (mixed, when more play at once; from `skip` on in the second), in 16-bit steps.
int Deviation(const RenderedAudio& heard, const std::vector<float>& file,
              const std::vector<float>& under = {}, size_t skip = 0) {
    int worst = 0;
    for (uint32_t i = 0; i < heard.Frames(); ++i) {
        float want =
            (i < file.size() ? file[i] : 0.0f) + (i + skip < under.size() ? under[i + skip] : 0.0f);
        want = std::clamp(want, -1.0f, 1.0f);
        for (Channel ch : {Channel::Left, Channel::Right}) {
            worst = std::max(worst, int(std::lround(std::abs(heard.Sample(ch, i) - want) * 32768)));
        }
    }
    return worst;
}

// The voice's pitch every 10 ms where it is voiced (Hz), by normalised
// autocorrelation over 30 ms, between 60 and 400 Hz.
std::vector<double> Pitch(const std::vector<float>& s) {
    const int rate = 22050, window = rate * 3 / 100, shortest = rate / 400, longest = rate / 60;
    std::vector<double> pitch;
    for (size_t at = 0; at + window + longest < s.size(); at += rate / 100) {
        double best = 0.7; // below this much alike, unvoiced
        int lag = 0;
        for (int l = shortest; l <= longest; ++l) {
            double xy = 0, xx = 0, yy = 0;
            for (int i = 0; i < window; ++i) {
                xy += s[at + i] * s[at + i + l];
                xx += s[at + i] * s[at + i];
                yy += s[at + i + l] * s[at + i + l];
            }
            if (xx > window * 1e-4 && xy / std::sqrt(xx * yy) > best) {
                best = xy / std::sqrt(xx * yy);
                lag = l;
            }
        }
        if (lag > 0) {
            pitch.push_back(double(rate) / lag);
        }
    }
    return pitch;
}

TEST(MenuPack, ThePlayerFirstHearsTheTitleOverTheMusic) {
    PackGame g;
    const std::vector<float> title = Samples("\\sound\\maintitle.ywv");
    const std::vector<float> music = Samples("\\sound\\opning.ywv");
    const RenderedAudio heard = g.ear.Render(static_cast<uint32_t>(title.size()));
    EXPECT_EQ(Deviation(heard, title, music), 0);
    EXPECT_LT(heard.FirstFrameAbove(-60), 22050u / 10) << "sound within 100 ms";

    // Down: "イージー", still over the music.
    g.game.system.Window()->ReleaseKey(VK_DOWN);
    const std::vector<float> easy = Samples("\\sound\\menu\\easy.ywv");
    const RenderedAudio spoken = g.ear.Render(static_cast<uint32_t>(easy.size()));
    EXPECT_EQ(Deviation(spoken, easy, music, title.size()), 0);

    // Up at the top, twice: the second 「説明」 starts over, not where the
    // first one stood (heard after the first one's 5 ms fade).
    const std::vector<float> tutorial = Samples("\\sound\\menu\\tutorial.ywv");
    g.game.system.Window()->ReleaseKey(VK_UP);
    g.ear.RenderMs(100);
    g.game.system.Window()->ReleaseKey(VK_UP);
    g.ear.RenderMs(5);
    const RenderedAudio again = g.ear.Render(static_cast<uint32_t>(tutorial.size() - 110));
    EXPECT_EQ(Deviation(again, std::vector<float>(tutorial.begin() + 110, tutorial.end()), music,
                        title.size() + easy.size() + 2205 + 110),
              0);

    // Said with its accent, as Japanese says it: high on イ, falling after
    // it (a flat voice keeps one pitch; espeak's rose).
    const std::vector<double> pitch = Pitch(easy);
    ASSERT_GT(pitch.size(), 20u);
    const double first = pitch[pitch.size() / 10], last = pitch[pitch.size() * 9 / 10];
    EXPECT_GT(12 * std::log2(first / last), 4.0) << first << " Hz, then " << last << " Hz";
}

} // namespace
