#pragma once
// What reached the sound device, in order: which recorded sound started,
// stopped, or was moved, re-pitched or made louder. It stands between the
// game and the real headless audio (which still mixes everything), and knows
// each sound by its samples, the way an ear knows a recording, so the log
// speaks of "\sound\kin" rather than of buffer numbers.
#include "platform/sound.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace duel_test {

struct SoundEvent {
    enum class Kind { Play, Stop, Pan, Frequency, Volume };
    Kind kind = Kind::Play;
    std::string name;  // e.g. "\sound\kin"; "?" for samples not in the data pack
    int64_t value = 0; // pan, rate in Hz or volume; play flags for Play
    bool accepted = true;
    uint32_t tick = 0; // the tick count when it happened
};

class SoundLog : public platform::AudioSystem {
public:
    // dataDir: the generated data pack; every sound in it becomes known.
    SoundLog(platform::AudioSystem& audio, const std::string& dataDir);

    std::shared_ptr<platform::AudioDevice> CreateDevice() override;

    const std::vector<SoundEvent>& Events() const { return m_events; }
    void Clear() { m_events.clear(); }
    // Names of the sounds started since the log was last cleared, in order.
    std::vector<std::string> Started() const;
    // The rate and pan a sound's buffer has now (0 when never set).
    uint32_t RateOf(const std::string& name) const;
    int32_t PanOf(const std::string& name) const;
    bool IsPlaying(const std::string& name) const;

    // Internal: called by the recording buffers and device.
    void Record(SoundEvent event) { m_events.push_back(std::move(event)); }
    std::shared_ptr<platform::SoundBuffer> Recorded(std::span<const uint8_t> samples,
                                                    std::shared_ptr<platform::SoundBuffer> real);

private:
    std::shared_ptr<platform::SoundBuffer> Latest(const std::string& name) const;

    platform::AudioSystem& m_audio;
    const std::map<size_t, std::string>& m_names; // hash of the samples → name
    std::vector<SoundEvent> m_events;
    std::map<std::string, std::weak_ptr<platform::SoundBuffer>> m_latest;
};

} // namespace duel_test
