// The menu in the data pack the build made, heard sample for sample: the
// output runs at the files' own rate, where a centred sound at full level
// comes out exactly as it is stored.
#include "data/pack_files.h"
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
    HeadlessAudio ear{{.rate = 22050}};
    kztest::Game game;
    kztest::WorkingFolder pack{KZ_DATA_DIR, false};
};

std::vector<pack::Entry> MenuSounds() {
    std::vector<pack::Entry> menu;
    for (const pack::Entry& e : pack::ReadTable()) {
        if (e.scene == "menu") {
            menu.push_back(e);
        }
    }
    return menu;
}

// The largest difference between what was heard and what the file holds
// (mixed with more files, when more play at once), in 16-bit steps.
int Deviation(const RenderedAudio& heard, const std::vector<const pack::Wave*>& files) {
    int worst = 0;
    for (uint32_t i = 0; i < heard.Frames(); ++i) {
        float want = 0;
        for (const pack::Wave* file : files) {
            want += i < file->samples.size() ? file->samples[i] / 32768.0f : 0.0f;
        }
        want = std::clamp(want, -1.0f, 1.0f);
        for (Channel ch : {Channel::Left, Channel::Right}) {
            worst = std::max(worst, int(std::lround(std::abs(heard.Sample(ch, i) - want) * 32768)));
        }
    }
    return worst;
}

TEST(MenuPack, EverySoundTheMenuRegistersIsThePackFileTheTableListsForIt) {
    const std::vector<pack::Entry> table = MenuSounds();
    ASSERT_EQ(table.size(), 10u);
    PackGame g;
    CSceenMenu& menu = *g.game.dlg->m_pSceenMenu;
    menu.m_sound.Stop(8);
    menu.m_sound.Stop(9);
    g.ear.RenderMs(50);
    for (uint32_t id = 0; id < table.size(); ++id) {
        SCOPED_TRACE(table[id].file);
        const pack::Wave wave = pack::ReadWave(pack::PackPath(table[id].file));
        ASSERT_EQ(wave.error, "");
        ASSERT_TRUE(menu.m_sound.Play(id, 0)) << "the file is in " << KZ_DATA_DIR;
        const RenderedAudio heard = g.ear.Render(static_cast<uint32_t>(wave.samples.size()));
        EXPECT_EQ(Deviation(heard, {&wave}), 0) << "id " << id << " plays this file";
        EXPECT_LT(g.ear.RenderMs(50).EnergyDb(Channel::Left), -200) << "and nothing after it";
    }
    EXPECT_TRUE(g.game.system.MessageBoxes().Boxes().empty());
}

TEST(MenuPack, ThePlayerFirstHearsTheTitleOverTheMusic) {
    PackGame g;
    const pack::Wave title = pack::ReadWave(pack::PackPath("\\sound\\maintitle.ywv"));
    const pack::Wave music = pack::ReadWave(pack::PackPath("\\sound\\opning.ywv"));
    ASSERT_EQ(title.error + music.error, "");
    const RenderedAudio heard = g.ear.Render(static_cast<uint32_t>(title.samples.size()));
    EXPECT_EQ(Deviation(heard, {&title, &music}), 0);
    EXPECT_LT(heard.FirstFrameAbove(-60), 22050u / 10) << "sound within 100 ms";

    // Down: "イージー", still over the music.
    g.game.system.Window()->ReleaseKey(VK_DOWN);
    const pack::Wave easy = pack::ReadWave(pack::PackPath("\\sound\\menu\\easy.ywv"));
    ASSERT_EQ(easy.error, "");
    pack::Wave musicOn = music;
    musicOn.samples.erase(musicOn.samples.begin(),
                          musicOn.samples.begin() + long(title.samples.size()));
    const RenderedAudio spoken = g.ear.Render(static_cast<uint32_t>(easy.samples.size()));
    EXPECT_EQ(Deviation(spoken, {&easy, &musicOn}), 0);
}

} // namespace
