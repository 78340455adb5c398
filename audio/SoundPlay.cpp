#include "audio/SoundPlay.h"

#include "audio/SoundFile.h"
#include "audio/SoundVolume.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/services.h"

#include <limits>

namespace {

constexpr size_t kDeviceSlots = 2; // 0: the menu's 3D device, 1: the duel's pan device

// What every player shares. It belongs to the audio system the backend
// installed: a run of the game has one, so this lives as long as the process;
// a test that installs a fresh system starts a fresh run.
struct SharedSound {
    uint64_t system = 0;
    std::array<std::shared_ptr<platform::AudioDevice>, kDeviceSlots> devices;
    std::shared_ptr<platform::SoundListener> listener;
    // The rate of the first buffer ever given a frequency (see SetFrequency).
    uint32_t baseFrequency = 0;
};

SharedSound& Shared() {
    static SharedSound s_shared;
    platform::AudioSystem* system = platform::GetServices().audio;
    uint64_t serial = system ? system->Serial() : 0;
    if (s_shared.system != serial) {
        s_shared = SharedSound{};
        s_shared.system = serial;
    }
    return s_shared;
}

// Null for an index outside the table, as for one whose device failed.
std::shared_ptr<platform::AudioDevice>* DeviceSlot(int index) {
    if (index < 0 || static_cast<size_t>(index) >= kDeviceSlots) {
        return nullptr;
    }
    return &Shared().devices[static_cast<size_t>(index)];
}

platform::AudioDevice* Device(int index) {
    auto* slot = DeviceSlot(index);
    return slot ? slot->get() : nullptr;
}

// The file name after the last backslash, or the whole path without one.
std::string FileName(const std::string& path) {
    auto slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void ShowError(const char* text) {
    platform::ShowMessageBox(text, "", false);
}

} // namespace

CSoundPlay::CSoundPlay() = default;

CSoundPlay::~CSoundPlay() {
    for (uint32_t id = 0; id < kSlots; ++id) {
        if (m_apBuffer[id]) {
            m_apBuffer[id]->Stop();
            m_apBuffer[id].reset();
        }
        m_ap3DBuffer[id].reset();
    }
}

bool CSoundPlay::CreateDevice(const ui::Window* pMainWnd) {
    if (!pMainWnd) {
        return true;
    }
    auto* slot = DeviceSlot(m_nDevice);
    if (!slot) {
        return false;
    }
    if (*slot) {
        return true;
    }
    platform::AudioSystem* system = platform::GetServices().audio;
    if (!system) {
        return false;
    }
    *slot = system->CreateDevice();
    if (!*slot) {
        return false; // no audio device: the game goes on silently
    }
    if (!(*slot)->SetCooperativeLevel(pMainWnd, platform::CooperativeLevel::Exclusive)) {
        ShowError("協調レベル設定失敗");
        return false;
    }
    return true;
}

void CSoundPlay::AddSound(const std::string& strPath, uint32_t nId) {
    m_arPath.push_back(strPath);
    m_arId.push_back(nId);
}

bool CSoundPlay::Play(uint32_t nId, uint32_t dwFlags) {
    // Ids of 200 or more have no slot: such a sound never plays.
    if (nId >= kSlots) {
        return false;
    }
    if (!m_apBuffer[nId] && Device(m_nDevice)) {
        LoadSound(nId);
    }
    if (!Device(m_nDevice) || !m_apBuffer[nId]) {
        return false;
    }
    platform::SoundBuffer& buffer = *m_apBuffer[nId];
    // Playing once: stop it first. A looping sound is only rewound.
    if (buffer.GetStatus() == platform::kStatusPlaying) {
        buffer.Stop();
        buffer.SetCurrentPosition(0);
    }
    buffer.SetCurrentPosition(0);
    int32_t nVolume = CSoundVolume::Instance().GetRemembered(nId);
    if (nVolume != 0) {
        SetVolume(nId, nVolume);
    }
    buffer.Play(dwFlags);
    return true;
}

bool CSoundPlay::LoadSound(uint32_t nId) {
    size_t k = 0;
    while (k < m_arId.size() && m_arId[k] != nId) {
        ++k;
    }
    if (k == m_arId.size()) {
        return true; // never registered: nothing to load
    }
    SoundFileData data;
    if (!ReadSoundFile(m_arPath[k], &data)) {
        return false;
    }
    platform::BufferDesc desc;
    desc.flags = Is3D() ? platform::kCtrl3D | platform::kCtrlFrequency | platform::kCtrlVolume |
                              platform::kCtrlFx
                        : platform::kCtrlFrequency | platform::kCtrlPan | platform::kCtrlVolume;
    desc.bytes = data.dwSize;
    desc.format = data.format;

    m_apBuffer[nId].reset();
    // The samples are copied into the buffer and our copy goes with `data`.
    m_apBuffer[nId] = Device(m_nDevice)->CreateSoundBuffer(desc, data.samples);
    if (!m_apBuffer[nId]) {
        return false;
    }

    if (!Is3D()) {
        int32_t nVolume = CSoundVolume::Instance().GetVolume(FileName(m_arPath[k]));
        if (nVolume != 0) {
            SetVolume(nId, nVolume);
        }
        return true;
    }

    m_ap3DBuffer[nId] = m_apBuffer[nId]->Get3DBuffer();
    if (!m_ap3DBuffer[nId]) {
        ShowError("IDirectSound3DBuffer8を取得できません");
        return false;
    }
    m_ap3DBuffer[nId]->SetMinDistance(1.0f);
    m_ap3DBuffer[nId]->SetMaxDistance(3.0f);
    SharedSound& shared = Shared();
    if (!shared.listener) {
        shared.listener = Device(m_nDevice)->GetListener();
        if (shared.listener) {
            shared.listener->SetPosition(0.0f, 0.0f, 0.0f);
            shared.listener->SetDopplerFactor(10.0f);
            shared.listener->SetDistanceFactor(1.0f);
        }
    }
    SetVolume(nId, CSoundVolume::Instance().GetRemembered(nId));
    return true;
}

void CSoundPlay::Stop(uint32_t nId) {
    if (nId < kSlots && m_apBuffer[nId]) {
        m_apBuffer[nId]->Stop();
    }
}

void CSoundPlay::SetVolume(uint32_t nId, int32_t nVolume) {
    if (nId >= kSlots) {
        return;
    }
    bool loaded = Is3D() ? m_ap3DBuffer[nId] != nullptr : m_apBuffer[nId] != nullptr;
    if (!loaded) {
        return;
    }
    // Values above 0 occur (the footsteps' ramp); the buffer refuses them and
    // keeps its last volume, but they are remembered all the same.
    m_apBuffer[nId]->SetVolume(nVolume);
    CSoundVolume::Instance().SetRemembered(nId, nVolume);
}

void CSoundPlay::SetPan(uint32_t nId, int32_t nPan) {
    if (nId < kSlots && m_apBuffer[nId]) {
        m_apBuffer[nId]->SetPan(nPan);
    }
}

void CSoundPlay::SetFrequency(uint32_t nId, uint32_t dwFrequency) {
    if (nId >= kSlots || !m_apBuffer[nId]) {
        return;
    }
    // The very first request of a run plays the buffer's own rate (times
    // 1.1, as every request) whatever was asked; the game was tuned with it.
    SharedSound& shared = Shared();
    uint32_t dwRate = dwFrequency;
    if (shared.baseFrequency == 0) {
        m_apBuffer[nId]->GetFrequency(&shared.baseFrequency);
        dwRate = shared.baseFrequency;
    }
    // Truncated toward zero; a product past 32 bits saturates (and is refused).
    double scaled = static_cast<double>(dwRate) * 1.1;
    uint32_t dwNew = scaled >= static_cast<double>(std::numeric_limits<uint32_t>::max())
                         ? std::numeric_limits<uint32_t>::max()
                         : static_cast<uint32_t>(scaled);
    m_apBuffer[nId]->SetFrequency(dwNew);
    platform::Sleep(0);
}
