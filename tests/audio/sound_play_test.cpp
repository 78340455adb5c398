// The sound player as the scenes use it, heard through the headless output.
#include "audio/SoundPlay.h"
#include "audio/SoundVolume.h"
#include "audio/sound_run.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::headless::Channel;
using platform::headless::RenderedAudio;
using testwave::kToneDb;
using testwave::MainWindow;
using testwave::SoundRun;
using testwave::ToneWave;

constexpr int kMenu = 0; // 3D mode
constexpr int kDuel = 1; // pan mode

struct Player {
    CSoundPlay play;
    explicit Player(int device) {
        play.m_nDevice = device;
        play.CreateDevice(MainWindow());
    }
};

TEST(SoundPlay, PlacedCuesComeFromTheirSideAtTheirPitch) {
    struct Case {
        int32_t pan;
        uint32_t request;
        double leftDb, rightDb; // relative to full level; -inf: silent
        double hz;
    };
    const double silent = -INFINITY, own = 441.0;
    const Case cases[] = {
        {-10000, 22000, 0.0, silent, own * 24200 / 22050},
        {10000, 22000, silent, 0.0, own * 24200 / 22050},
        {-10000, 12000, 0.0, silent, own * 13200 / 22050},
        {10000, 12000, silent, 0.0, own * 13200 / 22050},
        {0, 0, 0.0, 0.0, own},
    };
    for (const Case& c : cases) {
        SoundRun run;
        run.Write("huri.ywv", ToneWave(2.0));
        Player duel(kDuel);
        duel.play.AddSound(run.Registered("huri.ywv"), 1);
        ASSERT_TRUE(duel.play.Play(1, 0));
        duel.play.SetFrequency(1, 0); // the run's first request, out of the way
        ASSERT_TRUE(duel.play.Play(1, 0));
        duel.play.SetPan(1, c.pan);
        duel.play.SetFrequency(1, c.request);
        RenderedAudio out = run.audio.RenderMs(500);
        for (auto [channel, want] :
             {std::pair{Channel::Left, c.leftDb}, {Channel::Right, c.rightDb}}) {
            double got = out.EnergyDb(channel) - kToneDb;
            if (std::isinf(want)) {
                EXPECT_LT(got, -90.0) << "pan " << c.pan;
            } else {
                EXPECT_NEAR(got, want, 0.1) << "pan " << c.pan;
            }
        }
        Channel heard = c.pan > 0 ? Channel::Right : Channel::Left;
        EXPECT_NEAR(out.FrequencyHz(heard), c.hz, c.hz * 0.01) << "request " << c.request;
    }
}

TEST(SoundPlay, FirstFrequencyRequestOfARunPlaysTheOwnRateTimesOnePointOne) {
    SoundRun run;
    run.Write("asiato.ywv", ToneWave(3.0));
    Player duel(kDuel);
    duel.play.AddSound(run.Registered("asiato.ywv"), 0);
    duel.play.SetFrequency(0, 22000); // not loaded yet: ignored, and not the first request
    duel.play.Play(0, 0);
    struct Step {
        uint32_t request;
        double hz;
    };
    for (Step s : {Step{12000, 441.0 * 1.1},
                   {0, 441.0},
                   {22000, 441.0 * 24200 / 22050},
                   {12000, 441.0 * 13200 / 22050},
                   {0, 441.0}}) {
        duel.play.SetFrequency(0, s.request);
        double hz = run.audio.RenderMs(300).FrequencyHz(Channel::Left);
        EXPECT_NEAR(hz, s.hz, s.hz * 0.01) << "request " << s.request;
    }
}

TEST(SoundPlay, VolumeIsInHundredthsOfADecibelAndRefusalsKeepTheLastOne) {
    struct Case {
        std::vector<int32_t> volumes; // set in order
        double db;                    // heard, relative to volume 0
    };
    auto heard = [](const std::vector<int32_t>& volumes) {
        SoundRun run;
        run.Write("kin.ywv", ToneWave(1.0));
        Player duel(kDuel);
        duel.play.AddSound(run.Registered("kin.ywv"), 2);
        duel.play.Play(2, 0);
        for (int32_t v : volumes) {
            duel.play.SetVolume(2, v);
        }
        RenderedAudio out = run.audio.RenderMs(300);
        EXPECT_NEAR(out.EnergyDb(Channel::Left), out.EnergyDb(Channel::Right), 1e-9);
        int32_t last = volumes.empty() ? -1 : volumes.back();
        EXPECT_EQ(CSoundVolume::Instance().GetRemembered(2), last) << "remembered even if refused";
        return out.EnergyDb(Channel::Left);
    };
    const double full = heard({0});
    EXPECT_NEAR(full, kToneDb, 0.05);
    const Case cases[] = {
        {{}, -0.01},              // the first load in pan mode applies -1
        {{-600}, -6.0},           // 6 dB quieter
        {{-600, 100}, -6.0},      // above 0: refused, the buffer keeps -600
        {{-2000, -10001}, -20.0}, // below -10000: refused too
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(heard(c.volumes) - full, c.db, 0.001) << c.db;
    }
}

// A tone that swells from silence, so "from its start" is easy to hear.
testwave::Bytes SwellWave() {
    testwave::Bytes pcm;
    const uint32_t frames = 22050;
    for (uint32_t i = 0; i < frames; ++i) {
        double s = 0.9 * i / frames * std::sin(2.0 * 3.14159265358979 * 441.0 * i / 22050);
        testwave::Put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767))));
    }
    return testwave::Wave({}, pcm);
}

TEST(SoundPlay, PlayingAgainStartsOverInsteadOfDoubling) {
    for (uint32_t flags : {0u, platform::kPlayLooping}) {
        SoundRun run;
        run.Write("kin.ywv", SwellWave());
        Player duel(kDuel);
        duel.play.AddSound(run.Registered("kin.ywv"), 2);
        duel.play.Play(2, flags);
        RenderedAudio first = run.audio.RenderMs(600);
        duel.play.Play(2, flags);
        RenderedAudio again = run.audio.RenderMs(100);
        // Past the 1.5 ms fade of the old playback, the new one is the start
        // of the sound again, alone.
        double start = first.SliceMs(5, 95).EnergyDb(Channel::Left);
        EXPECT_NEAR(again.SliceMs(5, 95).EnergyDb(Channel::Left), start, 0.05) << flags;
        EXPECT_LT(again.SliceMs(5, 95).EnergyDb(Channel::Left),
                  first.SliceMs(500, 100).EnergyDb(Channel::Left) - 10.0);
        float jump = 0.0f;
        for (uint32_t i = 1; i < 200; ++i) {
            jump = std::max(jump, std::abs(again.Sample(Channel::Left, i) -
                                           again.Sample(Channel::Left, i - 1)));
        }
        EXPECT_LT(jump, 0.1f) << "the rewind does not click";
    }
}

TEST(SoundPlay, LoopingGoesOnUntilStoppedAndAOneShotEnds) {
    SoundRun run;
    run.Write("opning.ywv", ToneWave(0.2));
    run.Write("maintitle.ywv", ToneWave(0.2, 300.0));
    Player menu(kMenu);
    menu.play.AddSound(run.Registered("opning.ywv"), 8);
    menu.play.AddSound(run.Registered("maintitle.ywv"), 9);
    ASSERT_TRUE(menu.play.Play(9, 0));
    ASSERT_TRUE(menu.play.Play(8, platform::kPlayLooping));
    run.audio.RenderMs(1000);
    RenderedAudio later = run.audio.RenderMs(200);
    EXPECT_NEAR(later.EnergyDb(Channel::Left), kToneDb, 0.1) << "only the loop is left";
    EXPECT_NEAR(later.FrequencyHz(Channel::Left), 441.0, 4.0);
    menu.play.Stop(8);
    run.audio.RenderMs(5);
    EXPECT_EQ(run.audio.RenderMs(100).EnergyDb(Channel::Left), -INFINITY);
}

TEST(SoundPlay, AMissingFilePlaysNothingShowsNothingAndIsTriedAgain) {
    SoundRun run;
    Player duel(kDuel);
    duel.play.AddSound(run.Registered("chance.ywv"), 5);
    EXPECT_FALSE(duel.play.Play(5, 0));
    EXPECT_FALSE(duel.play.Play(5, 0));
    EXPECT_EQ(run.audio.RenderMs(100).EnergyDb(Channel::Left), -INFINITY);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    run.Write("chance.ywv", ToneWave(0.5));
    EXPECT_TRUE(duel.play.Play(5, 0));
    EXPECT_NEAR(run.audio.RenderMs(100).EnergyDb(Channel::Left), kToneDb, 0.1);
}

TEST(SoundPlay, UnregisteredIdsAndIdsWithoutASlotPlayNothing) {
    SoundRun run;
    run.Write("kin.ywv", ToneWave(0.5));
    Player duel(kDuel);
    duel.play.AddSound(run.Registered("kin.ywv"), 250);
    for (uint32_t id : {3u, 200u, 250u}) {
        EXPECT_FALSE(duel.play.Play(id, 0)) << id;
        duel.play.SetVolume(id, -100);
        duel.play.SetPan(id, 100);
        duel.play.SetFrequency(id, 22000);
        duel.play.Stop(id);
    }
    EXPECT_EQ(run.audio.RenderMs(100).EnergyDb(Channel::Left), -INFINITY);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    EXPECT_EQ(CSoundVolume::Instance().GetRemembered(3), 0) << "not loaded: nothing remembered";
}

TEST(SoundPlay, WithoutAnAudioDeviceTheGameGoesOnSilently) {
    SoundRun run({.hasDevice = false});
    run.Write("kin.ywv", ToneWave(0.5));
    CSoundPlay duel;
    duel.m_nDevice = kDuel;
    EXPECT_FALSE(duel.CreateDevice(MainWindow()));
    duel.AddSound(run.Registered("kin.ywv"), 2);
    EXPECT_FALSE(duel.Play(2, 0));
    duel.SetVolume(2, -600);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    EXPECT_EQ(CSoundVolume::Instance().GetRemembered(2), 0);

    CSoundPlay headless; // a null window asks for nothing and succeeds
    EXPECT_TRUE(headless.CreateDevice(nullptr));
    EXPECT_FALSE(headless.Play(2, 0));
}

TEST(SoundPlay, MenuSoundsPlayCentredAtFullLevel) {
    SoundRun run;
    run.Write("tutorial.ywv", ToneWave(1.0));
    Player menu(kMenu);
    menu.play.AddSound(run.Registered("tutorial.ywv"), 1);
    ASSERT_TRUE(menu.play.Play(1, 0));
    menu.play.SetPan(1, -10000); // a 3D sound has no pan: nothing changes
    RenderedAudio out = run.audio.RenderMs(300);
    EXPECT_NEAR(out.EnergyDb(Channel::Left) - kToneDb, 0.0, 0.05);
    EXPECT_NEAR(out.EnergyDb(Channel::Right) - kToneDb, 0.0, 0.05);
    EXPECT_EQ(CSoundVolume::Instance().GetRemembered(1), 0);
}

TEST(SoundPlay, RememberedVolumesCarryAcrossPlayersUpToId100) {
    struct Case {
        uint32_t id;
        double menuDb; // the menu's sound with that id, after the duel set -2000
    };
    for (Case c : {Case{3, -20.0}, {100, -20.0}, {101, 0.0}, {138, 0.0}}) {
        SoundRun run;
        run.Write("damage1.ywv", ToneWave(1.0));
        run.Write("hard.ywv", ToneWave(1.0));
        {
            Player duel(kDuel);
            duel.play.AddSound(run.Registered("damage1.ywv"), c.id);
            duel.play.Play(c.id, 0);
            duel.play.SetVolume(c.id, -2000);
        }
        Player menu(kMenu);
        menu.play.AddSound(run.Registered("hard.ywv"), c.id);
        menu.play.Play(c.id, 0);
        run.audio.RenderMs(3); // past the duel sound's fade
        EXPECT_NEAR(run.audio.RenderMs(200).EnergyDb(Channel::Left) - kToneDb, c.menuDb, 0.05)
            << "id " << c.id;
    }
}

TEST(SoundPlay, DestroyingAPlayerSilencesEverySound) {
    SoundRun run;
    run.Write("opning.ywv", ToneWave(0.3));
    run.Write("maintitle.ywv", ToneWave(2.0, 300.0));
    {
        Player menu(kMenu);
        menu.play.AddSound(run.Registered("opning.ywv"), 8);
        menu.play.AddSound(run.Registered("maintitle.ywv"), 9);
        menu.play.Play(9, 0);
        menu.play.Play(8, platform::kPlayLooping);
        EXPECT_GT(run.audio.RenderMs(100).EnergyDb(Channel::Left), kToneDb);
    }
    run.audio.RenderMs(3);
    EXPECT_EQ(run.audio.RenderMs(500).EnergyDb(Channel::Left), -INFINITY);
}

} // namespace
