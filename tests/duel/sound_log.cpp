#include "duel/sound_log.h"

#include "platform/clock.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace duel_test {

namespace {

// The sample bytes of a plain RIFF WAVE file: the payload of its data chunk.
std::string SampleBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + pos + 4, 4);
        if (bytes.compare(pos, 4, "data") == 0) {
            return bytes.substr(pos + 8, size);
        }
        pos += 8 + size + (size & 1);
    }
    return {};
}

class RecordingBuffer : public platform::SoundBuffer {
public:
    RecordingBuffer(SoundLog& log, std::string name, std::shared_ptr<platform::SoundBuffer> real)
        : m_log(log), m_name(std::move(name)), m_real(std::move(real)) {}

    uint32_t GetStatus() const override { return m_real->GetStatus(); }
    bool Play(uint32_t flags) override {
        return Note(SoundEvent::Kind::Play, flags, m_real->Play(flags));
    }
    bool Stop() override { return Note(SoundEvent::Kind::Stop, 0, m_real->Stop()); }
    bool SetCurrentPosition(uint32_t bytes) override { return m_real->SetCurrentPosition(bytes); }
    uint32_t GetCurrentPosition() const override { return m_real->GetCurrentPosition(); }
    bool SetVolume(int32_t volume) override {
        return Note(SoundEvent::Kind::Volume, volume, m_real->SetVolume(volume));
    }
    int32_t GetVolume() const override { return m_real->GetVolume(); }
    bool SetPan(int32_t pan) override {
        return Note(SoundEvent::Kind::Pan, pan, m_real->SetPan(pan));
    }
    int32_t GetPan() const override { return m_real->GetPan(); }
    bool SetFrequency(uint32_t hz) override {
        return Note(SoundEvent::Kind::Frequency, hz, m_real->SetFrequency(hz));
    }
    bool GetFrequency(uint32_t* hz) const override { return m_real->GetFrequency(hz); }
    std::shared_ptr<platform::Sound3DBuffer> Get3DBuffer() override {
        return m_real->Get3DBuffer();
    }

private:
    bool Note(SoundEvent::Kind kind, int64_t value, bool accepted) {
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

    bool SetCooperativeLevel(const platform::Window* window,
                             platform::CooperativeLevel level) override {
        return m_real->SetCooperativeLevel(window, level);
    }
    std::shared_ptr<platform::SoundBuffer>
    CreateSoundBuffer(const platform::BufferDesc& desc, std::span<const uint8_t> samples) override {
        auto real = m_real->CreateSoundBuffer(desc, samples);
        if (!real) {
            return real;
        }
        std::string name = m_log.NameOf(samples.data(), samples.size());
        auto buffer = std::make_shared<RecordingBuffer>(m_log, name, std::move(real));
        m_log.Track(name, buffer);
        return buffer;
    }
    std::shared_ptr<platform::SoundListener> GetListener() override {
        return m_real->GetListener();
    }

private:
    SoundLog& m_log;
    std::shared_ptr<platform::AudioDevice> m_real;
};

// The sounds of a data folder by the hash of their samples; read once per run.
const std::map<size_t, std::string>& KnownSounds(const std::string& dataDir) {
    static std::map<std::string, std::map<size_t, std::string>> s_folders;
    auto found = s_folders.find(dataDir);
    if (found != s_folders.end()) {
        return found->second;
    }
    std::map<size_t, std::string>& names = s_folders[dataDir];
    namespace fs = std::filesystem;
    fs::path root(dataDir);
    std::error_code error;
    for (fs::recursive_directory_iterator it(root / "sound", error), end; it != end;
         it.increment(error)) {
        if (error || !it->is_regular_file() || it->path().extension() != ".ywv") {
            continue;
        }
        fs::path relative = fs::relative(it->path(), root).replace_extension();
        std::string name;
        for (const auto& part : relative) {
            name += "\\" + part.string();
        }
        names.emplace(std::hash<std::string>()(SampleBytes(it->path())), name);
    }
    return names;
}

} // namespace

SoundLog::SoundLog(platform::headless::HeadlessAudio& audio, const std::string& dataDir)
    : m_audio(audio), m_names(KnownSounds(dataDir)) {}

SoundLog::~SoundLog() = default;

std::shared_ptr<platform::AudioDevice> SoundLog::CreateDevice() {
    auto real = m_audio.CreateDevice();
    if (!real) {
        return real;
    }
    return std::make_shared<RecordingDevice>(*this, std::move(real));
}

void SoundLog::Record(SoundEvent event) {
    m_events.push_back(std::move(event));
}

std::string SoundLog::NameOf(const uint8_t* data, size_t size) const {
    auto it = m_names.find(
        std::hash<std::string_view>()(std::string_view(reinterpret_cast<const char*>(data), size)));
    return it == m_names.end() ? "?" : it->second;
}

void SoundLog::Track(const std::string& name, std::weak_ptr<platform::SoundBuffer> buffer) {
    m_latest[name] = std::move(buffer);
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

uint32_t SoundLog::RateOf(const std::string& name) const {
    auto it = m_latest.find(name);
    auto buffer = it == m_latest.end() ? nullptr : it->second.lock();
    uint32_t hz = 0;
    if (buffer) {
        buffer->GetFrequency(&hz);
    }
    return hz;
}

int32_t SoundLog::PanOf(const std::string& name) const {
    auto it = m_latest.find(name);
    auto buffer = it == m_latest.end() ? nullptr : it->second.lock();
    return buffer ? buffer->GetPan() : 0;
}

bool SoundLog::IsPlaying(const std::string& name) const {
    auto it = m_latest.find(name);
    auto buffer = it == m_latest.end() ? nullptr : it->second.lock();
    return buffer && (buffer->GetStatus() & platform::kStatusPlaying);
}

} // namespace duel_test
