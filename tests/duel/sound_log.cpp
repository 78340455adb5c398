#include "duel/sound_log.h"

#include "audio/SoundFile.h"
#include "platform/clock.h"

#include <filesystem>
#include <string_view>

namespace duel_test {

namespace {

size_t Hash(std::span<const uint8_t> bytes) {
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

class RecordingBuffer : public platform::SoundBuffer {
public:
    RecordingBuffer(SoundLog& log, std::string name, std::shared_ptr<platform::SoundBuffer> real)
        : m_log(log), m_name(std::move(name)), m_real(std::move(real)) {}

    uint32_t GetStatus() const override { return m_real->GetStatus(); }
    bool Play(uint32_t flags) override { return Note(Kind::Play, flags, m_real->Play(flags)); }
    bool Stop() override { return Note(Kind::Stop, 0, m_real->Stop()); }
    bool SetCurrentPosition(uint32_t bytes) override { return m_real->SetCurrentPosition(bytes); }
    uint32_t GetCurrentPosition() const override { return m_real->GetCurrentPosition(); }
    bool SetVolume(int32_t v) override { return Note(Kind::Volume, v, m_real->SetVolume(v)); }
    int32_t GetVolume() const override { return m_real->GetVolume(); }
    bool SetPan(int32_t pan) override { return Note(Kind::Pan, pan, m_real->SetPan(pan)); }
    int32_t GetPan() const override { return m_real->GetPan(); }
    bool SetFrequency(uint32_t hz) override {
        return Note(Kind::Frequency, hz, m_real->SetFrequency(hz));
    }
    bool GetFrequency(uint32_t* hz) const override { return m_real->GetFrequency(hz); }
    std::shared_ptr<platform::Sound3DBuffer> Get3DBuffer() override {
        return m_real->Get3DBuffer();
    }

private:
    using Kind = SoundEvent::Kind;
    bool Note(Kind kind, int64_t value, bool accepted) {
        m_log.Record({kind, m_name, value, accepted, platform::GetTickCount()});
        return accepted;
    }

    SoundLog& m_log;
    std::string m_name;
    std::shared_ptr<platform::SoundBuffer> m_real;
};

class RecordingDevice : public platform::AudioDevice {
public:
    RecordingDevice(SoundLog& log, std::shared_ptr<platform::AudioDevice> real)
        : m_log(log), m_real(std::move(real)) {}

    bool SetCooperativeLevel(const void* window, platform::CooperativeLevel level) override {
        return m_real->SetCooperativeLevel(window, level);
    }
    std::shared_ptr<platform::SoundBuffer>
    CreateSoundBuffer(const platform::BufferDesc& desc, std::span<const uint8_t> samples) override {
        return m_log.Recorded(samples, m_real->CreateSoundBuffer(desc, samples));
    }
    std::shared_ptr<platform::SoundListener> GetListener() override {
        return m_real->GetListener();
    }

private:
    SoundLog& m_log;
    std::shared_ptr<platform::AudioDevice> m_real;
};

// The sounds of a data folder by the hash of their samples, as the game's own
// reader gives them; read once per run.
const std::map<size_t, std::string>& KnownSounds(const std::string& dataDir) {
    static std::map<std::string, std::map<size_t, std::string>> s_folders;
    auto [found, fresh] = s_folders.try_emplace(dataDir);
    namespace fs = std::filesystem;
    if (!fresh) {
        return found->second;
    }
    // The English set's own voices too; its links to the Japanese set's
    // sounds keep the Japanese names, which come first.
    for (const fs::path& set : {fs::path(dataDir) / "sound", fs::path(dataDir) / "en" / "sound"}) {
        if (!fs::is_directory(set)) {
            continue;
        }
        for (const auto& file : fs::recursive_directory_iterator(set)) {
            SoundFileData data;
            if (file.path().extension() == ".ywv" && ReadSoundFile(file.path().string(), &data)) {
                std::string name;
                const fs::path relative = fs::relative(file.path(), dataDir).replace_extension();
                for (const auto& part : relative) {
                    name += "\\" + part.string();
                }
                found->second.emplace(Hash(data.samples), name);
            }
        }
    }
    return found->second;
}

} // namespace

SoundLog::SoundLog(platform::AudioSystem& audio, const std::string& dataDir)
    : m_audio(audio), m_names(KnownSounds(dataDir)) {}

std::shared_ptr<platform::AudioDevice> SoundLog::CreateDevice() {
    auto real = m_audio.CreateDevice();
    return real ? std::make_shared<RecordingDevice>(*this, std::move(real)) : nullptr;
}

std::shared_ptr<platform::SoundBuffer>
SoundLog::Recorded(std::span<const uint8_t> samples, std::shared_ptr<platform::SoundBuffer> real) {
    if (!real) {
        return real;
    }
    auto known = m_names.find(Hash(samples));
    const std::string name = known == m_names.end() ? "?" : known->second;
    auto buffer = std::make_shared<RecordingBuffer>(*this, name, std::move(real));
    m_latest[name] = buffer;
    return buffer;
}

std::vector<std::string> SoundLog::Started() const {
    std::vector<std::string> names;
    for (const SoundEvent& event : m_events) {
        if (event.kind == SoundEvent::Kind::Play && event.accepted) {
            names.push_back(event.name);
        }
    }
    return names;
}

std::shared_ptr<platform::SoundBuffer> SoundLog::Latest(const std::string& name) const {
    auto it = m_latest.find(name);
    return it == m_latest.end() ? nullptr : it->second.lock();
}

uint32_t SoundLog::RateOf(const std::string& name) const {
    uint32_t hz = 0;
    if (auto buffer = Latest(name)) {
        buffer->GetFrequency(&hz);
    }
    return hz;
}

int32_t SoundLog::PanOf(const std::string& name) const {
    auto buffer = Latest(name);
    return buffer ? buffer->GetPan() : 0;
}

bool SoundLog::IsPlaying(const std::string& name) const {
    auto buffer = Latest(name);
    return buffer && (buffer->GetStatus() & platform::kStatusPlaying);
}

} // namespace duel_test
