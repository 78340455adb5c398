// Devices that refuse what the player asks of them, and the volume memory.
#include "audio/SoundPlay.h"
#include "audio/SoundVolume.h"
#include "audio/sound_run.h"

#include <gtest/gtest.h>

namespace {

using platform::headless::Channel;
using testwave::MainWindow;
using testwave::SoundRun;
using testwave::ToneWave;

// The headless output behind a device that refuses the cooperative level or
// hands out buffers without their 3D face, as a broken driver might.
class RefusingAudio : public platform::AudioSystem {
public:
    struct Refusals {
        bool cooperativeLevel = false;
        bool buffer3D = false;
    };
    RefusingAudio(platform::AudioSystem& real, Refusals refusals)
        : m_real(real), m_refusals(refusals) {}

    std::shared_ptr<platform::AudioDevice> CreateDevice() override {
        ++devicesCreated;
        return std::make_shared<Device>(m_real.CreateDevice(), m_refusals);
    }
    int devicesCreated = 0;

private:
    class Device : public platform::AudioDevice {
    public:
        Device(std::shared_ptr<platform::AudioDevice> real, Refusals refusals)
            : m_real(std::move(real)), m_refusals(refusals) {}
        bool SetCooperativeLevel(const platform::Window* window,
                                 platform::CooperativeLevel level) override {
            return !m_refusals.cooperativeLevel && m_real->SetCooperativeLevel(window, level);
        }
        std::shared_ptr<platform::SoundBuffer>
        CreateSoundBuffer(const platform::BufferDesc& desc,
                          std::span<const uint8_t> samples) override {
            platform::BufferDesc changed = desc;
            if (m_refusals.buffer3D) {
                changed.flags &= ~platform::kCtrl3D;
            }
            return m_real->CreateSoundBuffer(changed, samples);
        }
        std::shared_ptr<platform::SoundListener> GetListener() override {
            return m_real->GetListener();
        }

    private:
        std::shared_ptr<platform::AudioDevice> m_real;
        Refusals m_refusals;
    };

    platform::AudioSystem& m_real;
    Refusals m_refusals;
};

TEST(SoundDevice, ARefusedCooperativeLevelIsToldOnceAndTheDeviceStays) {
    platform::headless::HeadlessAudio output;
    RefusingAudio refusing(output, {.cooperativeLevel = true});
    SoundRun run({}, &refusing);
    run.Write("kin.ywv", ToneWave(0.5));

    CSoundPlay first;
    first.m_nDevice = 1;
    EXPECT_FALSE(first.CreateDevice(MainWindow()));
    ASSERT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(run.boxes.Boxes()[0].text, "協調レベル設定失敗");
    EXPECT_EQ(run.boxes.Boxes()[0].caption, "");

    // A second player on the same index finds the device and asks nothing more.
    CSoundPlay second;
    second.m_nDevice = 1;
    EXPECT_TRUE(second.CreateDevice(MainWindow()));
    EXPECT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(refusing.devicesCreated, 1);
    second.AddSound(run.Registered("kin.ywv"), 2);
    EXPECT_TRUE(second.Play(2, 0));
    EXPECT_GT(output.RenderMs(100).EnergyDb(Channel::Left), -20.0);

    // The menu's index is another device.
    CSoundPlay menu;
    EXPECT_FALSE(menu.CreateDevice(MainWindow()));
    EXPECT_EQ(refusing.devicesCreated, 2);
}

TEST(SoundDevice, AMenuSoundWithoutA3DFaceIsToldOnceThenPlaysUnremembered) {
    platform::headless::HeadlessAudio output;
    RefusingAudio refusing(output, {.buffer3D = true});
    SoundRun run({}, &refusing);
    run.Write("easy.ywv", ToneWave(0.5));
    CSoundPlay menu;
    ASSERT_TRUE(menu.CreateDevice(MainWindow()));
    menu.AddSound(run.Registered("easy.ywv"), 2);

    // The buffer was made, so the sound plays; it just counts as not loaded
    // for the volume.
    EXPECT_TRUE(menu.Play(2, 0));
    EXPECT_TRUE(menu.Play(2, 0));
    ASSERT_EQ(run.boxes.Boxes().size(), 1u);
    EXPECT_EQ(run.boxes.Boxes()[0].text, "IDirectSound3DBuffer8を取得できません");
    EXPECT_EQ(run.boxes.Boxes()[0].caption, "");
    menu.SetVolume(2, -600);
    EXPECT_EQ(CSoundVolume::Instance().GetRemembered(2), 0);
    EXPECT_GT(output.RenderMs(100).EnergyDb(Channel::Left), -20.0);
}

TEST(SoundVolume, NamesAnswerTheirVolumeInAnyCaseAndUnknownNamesMinusOne) {
    CSoundVolume empty;
    for (const char* name : {"kin.ywv", "KIN.YWV", "", "説明.ywv"}) {
        EXPECT_EQ(empty.GetVolume(name), -1) << name;
        EXPECT_EQ(CSoundVolume::Instance().GetVolume(name), -1) << name;
    }
    CSoundVolume table({"Kin.ywv", "huri.YWV", "説明.ywv", "huri.ywv"},
                       {1500, uint32_t(-300), 0, 7});
    struct Case {
        const char* name;
        int32_t volume;
    };
    for (Case c : {Case{"kin.ywv", -1500},
                   {"KIN.YWV", -1500},
                   {"Huri.ywv", -300},
                   {"説明.YWV", 0},
                   {"chance.ywv", -1}}) {
        EXPECT_EQ(table.GetVolume(c.name), c.volume) << c.name;
    }
}

TEST(SoundVolume, OnlyIdsUpTo100AreRemembered) {
    CSoundVolume memory;
    for (uint32_t id : {0u, 100u, 101u, 199u, 0xFFFFFFFFu}) {
        memory.SetRemembered(id, -700);
        EXPECT_EQ(memory.GetRemembered(id), id <= 100 ? -700 : 0) << id;
    }
}

} // namespace
