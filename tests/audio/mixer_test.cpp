// What a listener hears from the sound service over our mixer.
#include "audio/wave_writer.h"
#include "platform/headless/headless_audio.h"
#include "platform/sound.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::headless::Channel;
using platform::headless::HeadlessAudio;
using platform::headless::RenderedAudio;

constexpr uint32_t kRate = 22050;
constexpr double kTone = 441.0;

platform::BufferDesc Desc(uint32_t flags, uint32_t bytes, uint16_t bits = 16) {
    platform::BufferDesc d;
    d.flags = flags;
    d.bytes = bytes;
    d.format = {1, 1, kRate, kRate * bits / 8u, static_cast<uint16_t>(bits / 8), bits, 0};
    return d;
}

constexpr uint32_t kPanFlags =
    platform::kCtrlPan | platform::kCtrlVolume | platform::kCtrlFrequency;
constexpr uint32_t k3DFlags = platform::kCtrl3D | platform::kCtrlVolume | platform::kCtrlFrequency;

struct Fixture {
    HeadlessAudio audio;
    std::shared_ptr<platform::AudioDevice> device = audio.CreateDevice();

    std::shared_ptr<platform::SoundBuffer> Tone(double seconds, uint32_t flags = kPanFlags) {
        auto pcm = testwave::Sine16(kTone, kRate, static_cast<uint32_t>(seconds * kRate));
        return device->CreateSoundBuffer(Desc(flags, static_cast<uint32_t>(pcm.size())), pcm);
    }
};

double FullScaleToneDb() {
    return 20.0 * std::log10(0.5) - 3.0103;
} // a 0.5 sine's RMS

TEST(Mixer, PanAndVolumeFollowTheDecibelLaws) {
    struct Case {
        int32_t pan;
        int32_t volume;
        double leftDb;  // relative to the tone at full level
        double rightDb; // -infinity: silent
    };
    const double silent = -INFINITY;
    const Case cases[] = {
        {platform::kPanLeft, 0, 0.0, silent},
        {platform::kPanRight, 0, silent, 0.0},
        {platform::kPanCenter, 0, 0.0, 0.0},
        {-1000, 0, 0.0, -10.0},
        {2500, 0, -25.0, 0.0},
        {0, -600, -6.0, -6.0},
        {0, -2000, -20.0, -20.0},
        {-600, -600, -6.0, -12.0},
        {0, platform::kVolumeMin, silent, silent},
    };
    for (const Case& c : cases) {
        Fixture f;
        auto buffer = f.Tone(0.5);
        ASSERT_TRUE(buffer->SetPan(c.pan));
        ASSERT_TRUE(buffer->SetVolume(c.volume));
        buffer->Play(0);
        RenderedAudio out = f.audio.RenderMs(400);
        for (auto [channel, want] :
             {std::pair{Channel::Left, c.leftDb}, {Channel::Right, c.rightDb}}) {
            double got = out.EnergyDb(channel) - FullScaleToneDb();
            if (std::isinf(want)) {
                EXPECT_LT(got, -90.0) << "pan " << c.pan << " volume " << c.volume;
            } else {
                EXPECT_NEAR(got, want, 0.1) << "pan " << c.pan << " volume " << c.volume;
            }
        }
    }
}

TEST(Mixer, ValuesOutsideTheRangesAreRefusedAndChangeNothing) {
    Fixture f;
    auto buffer = f.Tone(0.2);
    ASSERT_TRUE(buffer->SetVolume(-600));
    ASSERT_TRUE(buffer->SetPan(-10000));
    ASSERT_TRUE(buffer->SetFrequency(24200));
    EXPECT_FALSE(buffer->SetVolume(1));
    EXPECT_FALSE(buffer->SetVolume(-10001));
    EXPECT_FALSE(buffer->SetPan(10001));
    EXPECT_FALSE(buffer->SetPan(-10001));
    EXPECT_FALSE(buffer->SetFrequency(99));
    EXPECT_FALSE(buffer->SetFrequency(200001));
    EXPECT_FALSE(buffer->SetCurrentPosition(buffer->GetCurrentPosition() + 1000000));
    uint32_t hz = 0;
    ASSERT_TRUE(buffer->GetFrequency(&hz));
    EXPECT_EQ(hz, 24200u);
    EXPECT_EQ(buffer->GetVolume(), -600);
    EXPECT_EQ(buffer->GetPan(), -10000);

    // A 3D buffer has no pan; a pan buffer no 3D face.
    auto spatial = f.Tone(0.2, k3DFlags);
    EXPECT_FALSE(spatial->SetPan(0));
    EXPECT_NE(spatial->Get3DBuffer(), nullptr);
    EXPECT_EQ(buffer->Get3DBuffer(), nullptr);
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
        uint32_t hz = 0;
        buffer->GetFrequency(&hz);
        EXPECT_EQ(hz, c.frequency ? c.frequency : kRate);
    }
}

TEST(Mixer, DescriptionsTheDeviceCannotPlayAreRefused) {
    Fixture f;
    auto pcm = testwave::Sine16(kTone, kRate, 100);
    auto with = [&](auto change) {
        platform::BufferDesc d = Desc(kPanFlags, 200);
        change(d);
        return f.device->CreateSoundBuffer(d, pcm) != nullptr;
    };
    EXPECT_TRUE(with([](auto&) {}));
    EXPECT_FALSE(with([](auto& d) { d.format.formatTag = 2; }));
    EXPECT_FALSE(with([](auto& d) { d.format.channels = 0; }));
    EXPECT_FALSE(with([](auto& d) { d.format.channels = 2; }));
    EXPECT_FALSE(with([](auto& d) { d.format.bitsPerSample = 24; }));
    EXPECT_FALSE(with([](auto& d) { d.format.blockAlign = 4; }));
    EXPECT_FALSE(with([](auto& d) { d.format.samplesPerSec = 99; }));
    EXPECT_FALSE(with([](auto& d) { d.bytes = 1; }));
    EXPECT_FALSE(with([](auto& d) { d.bytes = platform::kBufferBytesMax + 1; }));
    EXPECT_FALSE(with([](auto& d) { d.flags |= platform::kCtrl3D; }));
}

TEST(Mixer, OneShotEndsLoopGoesOnAndStopFadesWithoutAClick) {
    Fixture f;
    auto once = f.Tone(0.1);
    once->Play(0);
    EXPECT_EQ(once->GetStatus(), platform::kStatusPlaying);
    EXPECT_GT(f.audio.RenderMs(100).EnergyDb(Channel::Left), -10.0);
    EXPECT_LT(f.audio.RenderMs(100).EnergyDb(Channel::Left), -90.0);
    EXPECT_EQ(once->GetStatus(), 0u);

    auto loop = f.Tone(0.1);
    loop->Play(platform::kPlayLooping);
    EXPECT_EQ(loop->GetStatus(), platform::kStatusPlaying | platform::kStatusLooping);
    f.audio.RenderMs(950);
    RenderedAudio later = f.audio.RenderMs(100);
    EXPECT_NEAR(later.EnergyDb(Channel::Left), FullScaleToneDb(), 0.2);
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

    // The position stays where it stopped, and play goes on from there.
    uint32_t at = loop->GetCurrentPosition();
    f.audio.RenderMs(50);
    EXPECT_EQ(loop->GetCurrentPosition(), at);
}

TEST(Mixer, ABufferLargerThanItsSamplesPlaysSilenceAfterThem) {
    Fixture f;
    auto pcm = testwave::Sine16(kTone, kRate, kRate / 10);
    // It claims a second but holds a tenth of one.
    auto buffer = f.device->CreateSoundBuffer(Desc(kPanFlags, 2 * kRate), pcm);
    ASSERT_NE(buffer, nullptr);
    buffer->Play(0);
    EXPECT_GT(f.audio.RenderMs(100).EnergyDb(Channel::Left), -10.0);
    EXPECT_LT(f.audio.RenderMs(800).EnergyDb(Channel::Left), -90.0);
    EXPECT_EQ(buffer->GetStatus(), platform::kStatusPlaying);
    f.audio.RenderMs(150);
    EXPECT_EQ(buffer->GetStatus(), 0u);
}

TEST(Mixer, ThreeDBufferIsCentredAtFullLevelAtTheListener) {
    Fixture f;
    auto listener = f.device->GetListener();
    ASSERT_NE(listener, nullptr);
    auto buffer = f.Tone(2.0, k3DFlags);
    auto spatial = buffer->Get3DBuffer();
    ASSERT_TRUE(spatial->SetMinDistance(1.0f));
    ASSERT_TRUE(spatial->SetMaxDistance(3.0f));
    buffer->Play(0);
    RenderedAudio here = f.audio.RenderMs(200);
    EXPECT_NEAR(here.EnergyDb(Channel::Left) - FullScaleToneDb(), 0.0, 0.1);
    EXPECT_NEAR(here.EnergyDb(Channel::Right) - FullScaleToneDb(), 0.0, 0.1);

    // Two units to the listener's left: the source is on the right, 6 dB down.
    ASSERT_TRUE(listener->SetPosition(-2.0f, 0.0f, 0.0f));
    RenderedAudio moved = f.audio.RenderMs(200);
    EXPECT_NEAR(moved.EnergyDb(Channel::Right) - FullScaleToneDb(), -6.02, 0.1);
    EXPECT_LT(moved.EnergyDb(Channel::Left), moved.EnergyDb(Channel::Right) - 15.0);
    listener->SetPosition(0.0f, 0.0f, 0.0f);
}

TEST(Mixer, ReleasingAPlayingBufferFadesItOut) {
    Fixture f;
    auto buffer = f.Tone(1.0);
    buffer->Play(platform::kPlayLooping);
    f.audio.RenderMs(10);
    buffer.reset();
    RenderedAudio after = f.audio.RenderMs(10);
    EXPECT_GT(after.Slice(0, 24).EnergyDb(Channel::Left), -60.0);
    EXPECT_EQ(after.Slice(96, after.Frames()).EnergyDb(Channel::Left), -INFINITY);
}

} // namespace
