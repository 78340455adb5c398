#pragma once
// Our own mixer: one voice per sound buffer, summed into float stereo at the
// output's rate. The UI thread drives voices through the calls below; the
// audio thread calls Render. They share no lock: each voice carries a few
// atomic words (gains, rate, a transport word the UI writes and the audio
// thread consumes, and the status the audio thread publishes back), the set of
// voices is republished whole when it changes, and memory the audio thread may
// still be reading is freed only after the render that could see it has ended.
// Render never allocates, frees, locks or waits.
//
// Resampling is linear interpolation with a 32.32 fixed-point cursor, chosen
// for speed: the game's 22 kHz voices have little energy where its images
// fall (see the audio benchmarks for the measured image levels).
//
// A stop, and a rewind of a voice that is playing, let the old playback fade
// out over 1.5 ms beside the new one, so they never click. Nothing else is
// smoothed: volume, pan and rate apply from the next render on.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace mixer {

struct MixerVoice;

class Mixer {
public:
    static constexpr uint32_t kStatusPlaying = 0x1;
    static constexpr uint32_t kStatusLooping = 0x2;

    explicit Mixer(uint32_t outputRate);
    ~Mixer(); // the audio thread must no longer call Render
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    uint32_t OutputRate() const { return m_outputRate; }

    // --- UI thread ---
    // A stopped voice at position 0 over mono samples in -1 ... 1. The voice
    // lasts `frames` frames; those past the samples given are silence.
    MixerVoice* CreateVoice(std::vector<float> samples, uint32_t frames, uint32_t rate);
    // Stops the voice (with its fade) and frees it once nothing can read it.
    void ReleaseVoice(MixerVoice* voice);
    void Play(MixerVoice* voice, bool looping);
    void Stop(MixerVoice* voice);
    void SetPosition(MixerVoice* voice, uint32_t frame);
    void SetGains(MixerVoice* voice, float left, float right);
    void SetRate(MixerVoice* voice, uint32_t rate);
    uint32_t Status(const MixerVoice* voice) const;
    uint32_t Position(const MixerVoice* voice) const;

    // --- audio thread ---
    // Writes `frames` interleaved stereo frames.
    void Render(float* out, uint32_t frames);

private:
    struct Table;
    struct Retired;

    enum class PlayOp { Keep, Start, Halt };
    void Post(MixerVoice* voice, PlayOp op, bool looping, bool setPosition, uint32_t frame,
              bool release);
    void Publish(std::vector<MixerVoice*> voices);
    void Retire(std::unique_ptr<Table> table, std::unique_ptr<MixerVoice> voice);
    void CollectGarbage(const MixerVoice* alsoGone = nullptr);
    void RenderVoice(MixerVoice& voice, float* out, uint32_t frames);

    const uint32_t m_outputRate;
    const uint32_t m_fadeFrames;
    // Odd while a render runs; every render moves it on by two.
    std::atomic<uint64_t> m_epoch{0};
    std::atomic<Table*> m_table;
    // UI side: the voices in m_table, owned, and what waits to be freed.
    std::vector<std::unique_ptr<MixerVoice>> m_owned;
    std::vector<Retired> m_retired;
    // Audio side: one voice's samples before they are panned into the output.
    std::vector<float> m_scratch;
};

} // namespace mixer
