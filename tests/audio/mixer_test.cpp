// What a listener hears from the sound service over our mixer: a 441 Hz tone
// at half scale, placed, made softer, re-pitched, stopped.
#include "backends/headless/headless_audio.h"
#include "mixer/underrun_watch.h"
#include "platform/sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

namespace {

using platform::headless::Channel;
using platform::headless::HeadlessAudio;
using platform::headless::RenderedAudio;

constexpr uint32_t kRate = 22050;
constexpr double kTone = 441.0;
constexpr uint32_t kPanFlags =
    platform::kCtrlPan | platform::kCtrlVolume | platform::kCtrlFrequency;

struct Fixture {
    HeadlessAudio audio;
    std::shared_ptr<platform::AudioDevice> device = audio.CreateDevice();

    // Mono 16-bit samples at 22050 Hz, as the game's files hold them.
    // Or 8-bit, unsigned around 128.
    std::shared_ptr<platform::SoundBuffer> Tone(double seconds, uint16_t bits = 16) {
        std::vector<uint8_t> pcm;
        for (uint32_t i = 0; i < static_cast<uint32_t>(seconds * kRate); ++i) {
            const double x = 0.5 * std::sin(2 * std::numbers::pi * kTone * i / kRate);
            const auto s = static_cast<uint16_t>(std::lround(32767 * x));
            if (bits == 8) {
                pcm.push_back(static_cast<uint8_t>(std::lround(128 + 128 * x)));
                continue;
            }
            pcm.push_back(static_cast<uint8_t>(s & 0xFF));
            pcm.push_back(static_cast<uint8_t>(s >> 8));
        }
        const uint16_t block = bits / 8;
        platform::BufferDesc d;
        d.flags = kPanFlags;
        d.bytes = static_cast<uint32_t>(pcm.size());
        d.format = {1, 1, kRate, kRate * block, block, bits, 0};
        return device->CreateSoundBuffer(d, pcm);
    }
};

// A half-scale sine's level.
const double kToneDb = 20.0 * std::log10(0.5) - 3.0103;

TEST(Mixer, PanAndVolumeFollowTheDecibelLaws) {
    struct Case {
        int32_t pan;
        int32_t volume;
        double leftDb;                       // relative to the tone at full level
        double rightDb;                      // -infinity: silent
        std::optional<int32_t> refused = {}; // then asked, and refused: nothing changes
        uint16_t bits = 16;
    };
    const double silent = -INFINITY;
    const Case cases[] = {
        {platform::kPanLeft, 0, 0.0, silent},
        {platform::kPanRight, 0, silent, 0.0},
        {platform::kPanCenter, 0, 0.0, 0.0},
        {-1000, 0, 0.0, -10.0},
        {2500, 0, -25.0, 0.0},
        {0, -600, -6.0, -6.0, 100},
        {0, -600, -6.0, -6.0, platform::kVolumeMin - 1},
        {0, -2000, -20.0, -20.0},
        {-600, -600, -6.0, -12.0},
        {0, platform::kVolumeMin, silent, silent},
        {platform::kPanLeft, 0, 0.0, silent, {}, 8},
    };
    for (const Case& c : cases) {
        Fixture f;
        auto buffer = f.Tone(0.5, c.bits);
        ASSERT_TRUE(buffer->SetPan(c.pan));
        ASSERT_TRUE(buffer->SetVolume(c.volume));
        if (c.refused) {
            EXPECT_FALSE(buffer->SetVolume(*c.refused));
        }
        buffer->Play(0);
        RenderedAudio out = f.audio.RenderMs(400);
        for (auto [channel, want] :
             {std::pair{Channel::Left, c.leftDb}, {Channel::Right, c.rightDb}}) {
            double got = out.EnergyDb(channel) - kToneDb;
            if (std::isinf(want)) {
                EXPECT_LT(got, -90.0) << "pan " << c.pan << " volume " << c.volume;
            } else {
                EXPECT_NEAR(got, want, 0.1) << "pan " << c.pan << " volume " << c.volume;
            }
        }
    }
}

TEST(Mixer, PlaybackRateSetsThePitch) {
    struct Case {
        uint32_t frequency;
        double hz;
    };
    for (Case c : {Case{0, kTone},
                   {24200, kTone * 24200 / kRate},
                   {13200, kTone * 13200 / kRate},
                   {kRate, kTone}}) {
        Fixture f;
        auto buffer = f.Tone(1.0);
        ASSERT_TRUE(buffer->SetFrequency(c.frequency));
        buffer->Play(0);
        RenderedAudio out = f.audio.RenderMs(500);
        EXPECT_NEAR(out.FrequencyHz(Channel::Left), c.hz, c.hz * 0.01) << c.frequency;
    }
}

TEST(Mixer, OneShotEndsLoopGoesOnAndStopFadesWithoutAClick) {
    Fixture f;
    auto once = f.Tone(0.1);
    once->Play(0);
    EXPECT_EQ(once->GetStatus(), platform::kStatusPlaying);
    EXPECT_GT(f.audio.RenderMs(100).EnergyDb(Channel::Left), -10.0);
    EXPECT_LT(f.audio.RenderMs(100).EnergyDb(Channel::Left), -90.0);
    EXPECT_EQ(once->GetStatus(), 0u);

    // Three at once reach past full scale: held there, never wrapped round.
    std::vector<std::shared_ptr<platform::SoundBuffer>> loud = {f.Tone(0.1), f.Tone(0.1),
                                                                f.Tone(0.1)};
    for (auto& tone : loud) {
        tone->Play(0);
    }
    RenderedAudio mixed = f.audio.RenderMs(50);
    float peak = 0.0f;
    for (uint32_t i = 0; i < mixed.Frames(); ++i) {
        peak = std::max(peak, std::abs(mixed.Sample(Channel::Left, i)));
    }
    EXPECT_EQ(peak, 1.0f);
    EXPECT_GT(mixed.EnergyDb(Channel::Left), kToneDb + 6.0) << "louder than one";

    auto loop = f.Tone(0.1);
    loop->Play(platform::kPlayLooping);
    f.audio.RenderMs(950);
    RenderedAudio later = f.audio.RenderMs(100);
    EXPECT_NEAR(later.EnergyDb(Channel::Left), kToneDb, 0.2);
    EXPECT_EQ(loop->GetStatus(), platform::kStatusPlaying | platform::kStatusLooping);

    loop->Stop();
    EXPECT_EQ(loop->GetStatus(), 0u);
    RenderedAudio after = f.audio.RenderMs(20);
    uint32_t stopped = static_cast<uint32_t>(after.Rate() * 0.002);
    float jump = 0.0f;
    for (uint32_t i = 1; i < stopped; ++i) {
        jump = std::max(
            jump, std::abs(after.Sample(Channel::Left, i) - after.Sample(Channel::Left, i - 1)));
    }
    EXPECT_GT(after.Slice(0, stopped).EnergyDb(Channel::Left), -60.0) << "fades, not cut";
    EXPECT_LT(jump, 0.05f) << "no step in the fade";
    EXPECT_EQ(after.Slice(stopped, after.Frames()).EnergyDb(Channel::Left), -INFINITY);
}

// The output falls back to longer periods when it runs dry, never when a
// period only came late or its clock drifts.
TEST(Mixer, AnOutputThatRanDryIsToldFromOneThatWasLate) {
    const double period = 256.0 / 48000;
    struct Case {
        const char* what;
        std::function<double(int k)> at; // when the k-th period is asked for
        uint32_t underruns;
    };
    const Case cases[] = {
        {"steady", [&](int k) { return k * period; }, 0},
        {"two periods 8 ms late, then on time",
         [&](int k) { return k == 900 || k == 901 ? 900 * period + 0.008 : k * period; }, 0},
        {"a clock 100 ppm slow", [&](int k) { return k * period * 1.0001; }, 0},
        {"dry for 20 ms", [&](int k) { return k * period + (k >= 900 ? 0.02 : 0); }, 1},
        {"dry twice",
         [&](int k) { return k * period + (k >= 900 ? 0.02 : 0) + (k >= 1500 ? 0.01 : 0); }, 2},
    };
    for (const Case& c : cases) {
        mixer::UnderrunWatch watch;
        watch.Start(48000, 256);
        for (int k = 0; k < 3000; ++k) {
            watch.Asked(256, 100 + c.at(k));
        }
        EXPECT_EQ(watch.Underruns(), c.underruns) << c.what;
    }
}

} // namespace
