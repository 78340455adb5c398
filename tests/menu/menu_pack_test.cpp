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
}

} // namespace
