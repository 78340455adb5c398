#include "mixer/mixer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace mixer {

namespace {

constexpr uint32_t kChunkFrames = 1024;
constexpr float kFadeSeconds = 0.0015f;

// The cursor's fraction as a float in [0, 1) with 23 bits kept, made by
// putting its top bits under the exponent of 1.0: cheaper than a conversion,
// which also ties each sample to the last through the register it merges into.
float Fraction(uint64_t cursor) {
    return std::bit_cast<float>(0x3F800000u | (static_cast<uint32_t>(cursor) >> 9)) - 1.0f;
}

// The transport word the UI thread writes and the audio thread consumes.
constexpr uint64_t kFrameMask = 0xFFFFFFFFull;
constexpr uint64_t kHasPosition = 1ull << 32;
constexpr int kOpShift = 33; // two bits: keep, start, halt
constexpr uint64_t kOpMask = 3ull << kOpShift;
constexpr uint64_t kLooping = 1ull << 35;
constexpr uint64_t kReleased = 1ull << 36;
constexpr int kSerialShift = 40;
constexpr uint64_t kSerialMask = ~0ull << kSerialShift;

// What the audio thread publishes: the serial it has applied and these flags.
constexpr uint64_t kPubPlaying = 0x1;
constexpr uint64_t kPubLooping = 0x2;
constexpr uint64_t kPubTail = 0x4;
constexpr uint64_t kPubFinished = 0x8;

uint64_t SerialOf(uint64_t word) {
    return word & kSerialMask;
}

uint64_t PackGains(float left, float right) {
    return std::bit_cast<uint32_t>(left) | uint64_t{std::bit_cast<uint32_t>(right)} << 32;
}

} // namespace

struct MixerVoice {
    // Fixed at creation.
    std::vector<float> samples; // the stored frames
    uint32_t frames = 0;        // the voice's length; frames past the stored ones are silence

    // UI thread to audio thread.
    std::atomic<uint64_t> gains{PackGains(1.0f, 1.0f)};
    std::atomic<uint32_t> rate{0};
    std::atomic<uint64_t> control{0};
    // Audio thread to UI thread.
    std::atomic<uint64_t> published{0};
    std::atomic<uint32_t> position{0};

    // Audio thread only.
    uint64_t appliedSerial = 0;
    uint64_t cursor = 0; // 32.32 frames
    bool playing = false;
    bool looping = false;
    uint64_t tailCursor = 0; // the playback fading out after a stop or rewind
    bool tailLooping = false;
    uint32_t tailLeft = 0;
};

struct Mixer::Table {
    std::vector<MixerVoice*> voices;
};

struct Mixer::Retired {
    std::unique_ptr<Table> table;
    std::unique_ptr<MixerVoice> voice;
    uint64_t epoch = 0;
};

Mixer::Mixer(uint32_t outputRate)
    : m_outputRate(outputRate == 0 ? 48000 : outputRate),
      m_fadeFrames(std::max<uint32_t>(1, static_cast<uint32_t>(m_outputRate * kFadeSeconds))),
      m_table(new Table), m_scratch(kChunkFrames) {}

Mixer::~Mixer() {
    delete m_table.load();
}

// ---------------------------------------------------------------- UI thread

MixerVoice* Mixer::CreateVoice(std::vector<float> samples, uint32_t frames, uint32_t rate) {
    CollectGarbage();
    auto voice = std::make_unique<MixerVoice>();
    samples.resize(std::min<size_t>(samples.size(), frames));
    voice->samples = std::move(samples);
    voice->frames = std::max<uint32_t>(frames, 1);
    voice->rate.store(rate);
    MixerVoice* raw = voice.get();
    m_owned.push_back(std::move(voice));
    std::vector<MixerVoice*> voices = m_table.load()->voices;
    voices.push_back(raw);
    Publish(std::move(voices));
    return raw;
}

void Mixer::ReleaseVoice(MixerVoice* voice) {
    if (!voice) {
        return;
    }
    // A voice that is silent and has nothing pending cannot start again once
    // released, so it may leave at once instead of after the next render.
    uint64_t pub = voice->published.load();
    bool idle =
        SerialOf(voice->control.load()) == SerialOf(pub) && !(pub & (kPubPlaying | kPubTail));
    Post(voice, PlayOp::Halt, false, false, 0, true);
    CollectGarbage(idle ? voice : nullptr);
}

void Mixer::Play(MixerVoice* voice, bool looping) {
    Post(voice, PlayOp::Start, looping, false, 0, false);
}

void Mixer::Stop(MixerVoice* voice) {
    Post(voice, PlayOp::Halt, false, false, 0, false);
}

void Mixer::SetPosition(MixerVoice* voice, uint32_t frame) {
    Post(voice, PlayOp::Keep, false, true, std::min(frame, voice->frames - 1), false);
}

void Mixer::SetGains(MixerVoice* voice, float left, float right) {
    voice->gains.store(PackGains(left, right), std::memory_order_relaxed);
}

void Mixer::SetRate(MixerVoice* voice, uint32_t rate) {
    voice->rate.store(rate, std::memory_order_relaxed);
}

uint32_t Mixer::Status(const MixerVoice* voice) const {
    uint64_t word = voice->control.load();
    uint64_t pub = voice->published.load();
    auto op = static_cast<PlayOp>((word & kOpMask) >> kOpShift);
    bool pending = SerialOf(word) != SerialOf(pub);
    if (pending && op == PlayOp::Start && !(word & kReleased)) {
        return kStatusPlaying | (word & kLooping ? kStatusLooping : 0);
    }
    if (pending && (op == PlayOp::Halt || (word & kReleased))) {
        return 0;
    }
    return (pub & kPubPlaying ? kStatusPlaying : 0) | (pub & kPubLooping ? kStatusLooping : 0);
}

uint32_t Mixer::Position(const MixerVoice* voice) const {
    uint64_t word = voice->control.load();
    if (word & kHasPosition) {
        return static_cast<uint32_t>(word & kFrameMask);
    }
    return voice->position.load();
}

void Mixer::Post(MixerVoice* voice, PlayOp op, bool looping, bool setPosition, uint32_t frame,
                 bool release) {
    uint64_t old = voice->control.load();
    for (;;) {
        // A word the audio thread has not taken yet is merged into the new one,
        // so two calls between renders act as both, in order.
        bool pending = SerialOf(old) != SerialOf(voice->published.load());
        uint64_t word = SerialOf(old) + (1ull << kSerialShift);
        if (op != PlayOp::Keep) {
            word |= uint64_t(op) << kOpShift | (looping ? kLooping : 0);
        } else if (pending) {
            word |= old & (kOpMask | kLooping);
        }
        if (setPosition) {
            word |= kHasPosition | frame;
        } else if (old & kHasPosition) {
            word |= old & (kHasPosition | kFrameMask);
        }
        word |= (release || (old & kReleased)) ? kReleased : 0;
        if (voice->control.compare_exchange_weak(old, word)) {
            return;
        }
    }
}

void Mixer::Publish(std::vector<MixerVoice*> voices) {
    auto table = std::make_unique<Table>();
    table->voices = std::move(voices);
    std::unique_ptr<Table> old(m_table.exchange(table.release()));
    Retire(std::move(old), nullptr);
}

void Mixer::Retire(std::unique_ptr<Table> table, std::unique_ptr<MixerVoice> voice) {
    uint64_t epoch = m_epoch.load();
    if (epoch % 2 == 0) {
        return; // no render was running: none can see what was just unlinked
    }
    m_retired.push_back({std::move(table), std::move(voice), epoch});
}

void Mixer::CollectGarbage(const MixerVoice* alsoGone) {
    uint64_t now = m_epoch.load();
    std::erase_if(m_retired, [now](const Retired& r) { return r.epoch != now; });

    // Released voices whose fade has ended leave the table.
    std::vector<MixerVoice*> keep;
    std::vector<std::unique_ptr<MixerVoice>> gone;
    for (auto& owned : m_owned) {
        uint64_t word = owned->control.load();
        uint64_t pub = owned->published.load();
        bool finished =
            (word & kReleased) && SerialOf(word) == SerialOf(pub) && (pub & kPubFinished);
        if (finished || owned.get() == alsoGone) {
            gone.push_back(std::move(owned));
        } else {
            keep.push_back(owned.get());
        }
    }
    if (gone.empty()) {
        return;
    }
    std::erase(m_owned, nullptr);
    Publish(std::move(keep));
    for (auto& voice : gone) {
        Retire(nullptr, std::move(voice));
    }
}

// ------------------------------------------------------------- audio thread

namespace {

// Mono samples of the voice from `cursor` on; stops early at the end of a
// voice that does not loop. Returns the frames written.
uint32_t Interpolate(const MixerVoice& v, uint64_t& cursor, bool looping, uint64_t step, float* dst,
                     uint32_t n) {
    const uint64_t end = uint64_t{v.frames} << 32;
    const auto stored = static_cast<uint32_t>(v.samples.size());
    const float* a = v.samples.data();
    const float first = stored ? a[0] : 0.0f;
    uint32_t done = 0;
    while (done < n) {
        if (cursor >= end) {
            if (!looping) {
                break;
            }
            cursor %= end;
        }
        const auto i = static_cast<uint32_t>(cursor >> 32);
        if (i + 1 < stored) {
            // The common case, without a single bounds check inside.
            const uint64_t limit = uint64_t{stored - 1} << 32;
            uint64_t k = std::min<uint64_t>((limit - cursor - 1) / step + 1, n - done);
            for (uint64_t j = 0; j < k; ++j) {
                const auto at = static_cast<uint32_t>(cursor >> 32);
                const float frac = Fraction(cursor);
                const float s0 = a[at];
                dst[done + j] = s0 + (a[at + 1] - s0) * frac;
                cursor += step;
            }
            done += static_cast<uint32_t>(k);
            continue;
        }
        const bool wraps = i + 1 == v.frames && looping;
        const float frac = Fraction(cursor);
        if (i < stored || wraps) {
            const float s0 = i < stored ? a[i] : 0.0f;
            const float s1 = wraps ? first : 0.0f;
            dst[done++] = s0 + (s1 - s0) * frac;
            cursor += step;
            continue;
        }
        // Silence the file did not hold: skip through it without reading.
        const uint64_t stopAt = looping ? uint64_t{v.frames - 1} << 32 : end;
        uint64_t k = std::min<uint64_t>((stopAt - cursor - 1) / step + 1, n - done);
        std::fill_n(dst + done, k, 0.0f);
        cursor += k * step;
        done += static_cast<uint32_t>(k);
    }
    return done;
}

// The scratch never overlaps the output; saying so lets the compiler vectorize.
void Accumulate(float* __restrict out, const float* __restrict mono, uint32_t n, float left,
                float right) {
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] += mono[i] * left;
        out[2 * i + 1] += mono[i] * right;
    }
}

void AccumulateFading(float* __restrict out, const float* __restrict mono, uint32_t n, float left,
                      float right, uint32_t left0, uint32_t fade) {
    const float scale = 1.0f / static_cast<float>(fade);
    for (size_t i = 0; i < n; ++i) {
        const float g = static_cast<float>(left0 - static_cast<uint32_t>(i)) * scale;
        out[2 * i] += mono[i] * left * g;
        out[2 * i + 1] += mono[i] * right * g;
    }
}

} // namespace

void Mixer::Render(float* out, uint32_t frames) {
    m_epoch.fetch_add(1); // odd: a render is running
    std::memset(out, 0, sizeof(float) * 2 * frames);
    const Table* table = m_table.load();
    for (MixerVoice* voice : table->voices) {
        RenderVoice(*voice, out, frames);
    }
    for (uint32_t i = 0; i < 2 * frames; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
    m_epoch.fetch_add(1);
}

void Mixer::RenderVoice(MixerVoice& v, float* out, uint32_t frames) {
    uint64_t word = v.control.load(std::memory_order_acquire);
    while ((word & kHasPosition) && !v.control.compare_exchange_weak(word, word & ~kHasPosition)) {
    }
    if (SerialOf(word) != v.appliedSerial) {
        v.appliedSerial = SerialOf(word);
        auto op = static_cast<PlayOp>((word & kOpMask) >> kOpShift);
        const bool released = word & kReleased;
        const bool halt = op == PlayOp::Halt || released;
        const bool rewind = word & kHasPosition;
        if (v.playing && (halt || rewind)) {
            v.tailCursor = v.cursor;
            v.tailLooping = v.looping;
            v.tailLeft = m_fadeFrames;
        }
        if (rewind) {
            v.cursor = uint64_t{static_cast<uint32_t>(word & kFrameMask)} << 32;
        }
        if (halt) {
            v.playing = false;
        } else if (op == PlayOp::Start) {
            v.playing = true;
            v.looping = word & kLooping;
        }
    }

    const uint64_t gains = v.gains.load(std::memory_order_relaxed);
    const float left = std::bit_cast<float>(static_cast<uint32_t>(gains));
    const float right = std::bit_cast<float>(static_cast<uint32_t>(gains >> 32));
    const uint64_t step = std::max<uint64_t>(
        1, (uint64_t{v.rate.load(std::memory_order_relaxed)} << 32) / m_outputRate);
    float* mono = m_scratch.data();

    for (uint32_t at = 0; at < frames && v.playing; at += kChunkFrames) {
        const uint32_t n = std::min(kChunkFrames, frames - at);
        const uint32_t got = Interpolate(v, v.cursor, v.looping, step, mono, n);
        Accumulate(out + 2 * at, mono, got, left, right);
        if (got < n) {
            v.playing = false; // played to its end: the next play starts over
            v.cursor = 0;
        }
    }
    for (uint32_t at = 0; at < frames && v.tailLeft > 0;) {
        const uint32_t n = std::min({kChunkFrames, frames - at, v.tailLeft});
        const uint32_t got = Interpolate(v, v.tailCursor, v.tailLooping, step, mono, n);
        AccumulateFading(out + 2 * at, mono, got, left, right, v.tailLeft, m_fadeFrames);
        v.tailLeft = got < n ? 0 : v.tailLeft - n;
        at += n;
    }

    const bool released = word & kReleased;
    uint64_t pub = SerialOf(word) | (v.playing ? kPubPlaying : 0) |
                   (v.playing && v.looping ? kPubLooping : 0) | (v.tailLeft ? kPubTail : 0) |
                   (released && !v.playing && !v.tailLeft ? kPubFinished : 0);
    v.position.store(static_cast<uint32_t>(v.cursor >> 32), std::memory_order_relaxed);
    v.published.store(pub, std::memory_order_release);
}

} // namespace mixer
