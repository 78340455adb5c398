// The SDL output: the period it asks for, and that it really plays.
#include "platform/sdl/sdl_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

TEST(SdlAudio, PeriodIs512UnlessAskedForAnotherPowerOfTwoBelow2048) {
    struct Case {
        const char* env; // null: unset
        uint32_t period;
    };
    for (Case c : {Case{nullptr, 512},
                   {"", 512},
                   {"abc", 512},
                   {"256x", 512},
                   {"256", 256},
                   {"300", 256},
                   {"128", 128},
                   {"1", 64},
                   {"0", 64},
                   {"1024", 1024},
                   {"2048", 1024},
                   {"99999999", 1024}}) {
        if (c.env) {
            setenv("KZ_AUDIO_PERIOD", c.env, 1);
        } else {
            unsetenv("KZ_AUDIO_PERIOD");
        }
        EXPECT_EQ(platform::sdl::RequestedAudioPeriod(), c.period) << (c.env ? c.env : "unset");
    }
    unsetenv("KZ_AUDIO_PERIOD");
}

TEST(SdlAudio, TheDummyDriverPlaysABufferThroughTheMixer) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    unsetenv("KZ_AUDIO_PERIOD");
    auto system = std::make_unique<platform::sdl::SdlAudioSystem>();
    auto device = system->CreateDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(system->Period(), 512u);
    EXPECT_GT(system->Rate(), 0u);

    platform::BufferDesc desc;
    desc.flags = platform::kCtrlPan | platform::kCtrlVolume | platform::kCtrlFrequency;
    desc.bytes = 22050 * 2;
    desc.format = {1, 1, 22050, 44100, 2, 16, 0};
    std::vector<uint8_t> silence(desc.bytes, 0);
    auto buffer = device->CreateSoundBuffer(desc, silence);
    ASSERT_NE(buffer, nullptr);
    buffer->Play(0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (buffer->GetCurrentPosition() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(buffer->GetCurrentPosition(), 0u) << "the device's callback renders the mixer";
    buffer.reset();
    device.reset();
    system.reset(); // closes the device while nothing plays
}

} // namespace
