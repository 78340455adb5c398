#pragma once
// The sound bank of one scene: sound ids mapped to sound files, each file
// read into a static buffer the first time its id is played. The devices
// (one per device index), the 3D listener and the volume memory are shared
// by every player and outlive the scenes.

#include "platform/sound.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class Window;
}

class CSoundPlay {
public:
    static constexpr uint32_t kSlots = 200; // sound ids 0 ... 199

    CSoundPlay();
    virtual ~CSoundPlay();
    CSoundPlay(const CSoundPlay&) = delete;
    CSoundPlay& operator=(const CSoundPlay&) = delete;

    // Opens this player's device unless one with its index is open already.
    // FALSE without a device; a null window does nothing and succeeds.
    bool CreateDevice(const ui::Window* pMainWnd);
    // Registers a file under an id; nothing is read until the id is played.
    void AddSound(const std::string& strPath, uint32_t nId);
    // Loads on first use, restarts from the start and plays; flags 0 or
    // platform::kPlayLooping. TRUE when a play was started.
    bool Play(uint32_t nId, uint32_t dwFlags);
    // Stops; the position stays where it stopped.
    void Stop(uint32_t nId);
    // Hundredths of a decibel (-10000 ... 0); remembered for the id even when
    // the device refuses it, but only for a loaded sound.
    void SetVolume(uint32_t nId, int32_t nVolume);
    void SetPan(uint32_t nId, int32_t nPan); // -10000 left ... 10000 right
    // Hz (0: the file's own rate), applied times 1.1; see the .cpp for the
    // first request of a run.
    void SetFrequency(uint32_t nId, uint32_t dwFrequency);

    // 0: 3D mode (the menu); any other value: pan mode (the duel). It also
    // picks the shared device, so set it before CreateDevice.
    int m_nDevice = 0;

private:
    bool LoadSound(uint32_t nId);
    bool Is3D() const { return m_nDevice == 0; }

    std::vector<std::string> m_arPath;
    std::vector<uint32_t> m_arId;
    std::array<std::shared_ptr<platform::SoundBuffer>, kSlots> m_apBuffer;
    std::array<std::shared_ptr<platform::Sound3DBuffer>, kSlots> m_ap3DBuffer;
};
