#pragma once
// The sound service the game's player was built for: a device, static buffers
// of mono PCM with volume, pan and rate, 3D buffers and one listener. Units and
// laws are those the game was tuned with:
// - volume: hundredths of a decibel of attenuation, -10000 (silence) ... 0;
//   the gain is 10^(volume / 2000); anything outside the range is refused and
//   the buffer keeps its previous volume;
// - pan: -10000 (full left) ... 10000 (full right); a negative pan attenuates
//   the right channel by |pan| / 100 dB, a positive one the left, so the ends
//   leave the other channel silent;
// - frequency: Hz, 0 meaning the buffer's own rate, else 100 ... 200000;
// - a 3D buffer at the listener's position plays centred at full level.
// All calls come from one thread (the UI thread); playback runs elsewhere and
// never calls back.

#include <cstdint>
#include <memory>
#include <span>

namespace platform {

constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanCenter = 0;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyOriginal = 0;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// Play flags.
constexpr uint32_t kPlayLooping = 0x1;
// Status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

// Buffer capabilities.
constexpr uint32_t kCtrl3D = 0x10;
constexpr uint32_t kCtrlFrequency = 0x20;
constexpr uint32_t kCtrlPan = 0x40;
constexpr uint32_t kCtrlVolume = 0x80;
constexpr uint32_t kCtrlFx = 0x200; // accepted; no effect is ever set

// The largest buffer a device takes, in bytes.
constexpr uint32_t kBufferBytesMax = 0x0FFFFFFF;

constexpr uint16_t kWaveFormatPcm = 1;

// The wave format as a RIFF "fmt " chunk stores it.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

struct BufferDesc {
    uint32_t flags = 0;
    // Size of the buffer; bytes past the samples given at creation are silence.
    uint32_t bytes = 0;
    WaveFormat format;
};

enum class CooperativeLevel { Normal = 1, Priority = 2, Exclusive = 3, WritePrimary = 4 };

class Sound3DBuffer {
public:
    virtual ~Sound3DBuffer() = default;
    // Distances in the listener's units; both must be above 0.
    virtual bool SetMinDistance(float distance) = 0;
    virtual bool SetMaxDistance(float distance) = 0;
    virtual float GetMinDistance() const = 0;
    virtual float GetMaxDistance() const = 0;
};

class SoundBuffer {
public:
    virtual ~SoundBuffer() = default;
    virtual uint32_t GetStatus() const = 0; // kStatusPlaying, kStatusLooping
    virtual bool Play(uint32_t flags) = 0;  // 0 or kPlayLooping
    // Stops; the position stays where playback stopped.
    virtual bool Stop() = 0;
    // Position in bytes from the start; refused at or past the buffer's end.
    virtual bool SetCurrentPosition(uint32_t bytes) = 0;
    virtual uint32_t GetCurrentPosition() const = 0;
    virtual bool SetVolume(int32_t volume) = 0;
    virtual int32_t GetVolume() const = 0;
    virtual bool SetPan(int32_t pan) = 0;
    virtual int32_t GetPan() const = 0;
    virtual bool SetFrequency(uint32_t hz) = 0;
    // The rate in use: the buffer's own when it was set to 0.
    virtual bool GetFrequency(uint32_t* hz) const = 0;
    // Null for a buffer created without kCtrl3D.
    virtual std::shared_ptr<Sound3DBuffer> Get3DBuffer() = 0;
};

class SoundListener {
public:
    virtual ~SoundListener() = default;
    virtual bool SetPosition(float x, float y, float z) = 0;
    virtual bool SetDopplerFactor(float factor) = 0;  // 0 ... 10
    virtual bool SetDistanceFactor(float factor) = 0; // metres per unit, above 0
    virtual void GetPosition(float* x, float* y, float* z) const = 0;
    virtual float GetDopplerFactor() const = 0;
    virtual float GetDistanceFactor() const = 0;
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;
    // The game's window, as an opaque handle: the output is the same whatever
    // window it names.
    virtual bool SetCooperativeLevel(const void* window, CooperativeLevel level) = 0;
    // A static buffer holding the given samples; null when the description is
    // refused (not mono 8/16-bit linear PCM, a rate outside 100 ... 200000 Hz,
    // less than one frame, more than kBufferBytesMax, pan together with 3D).
    virtual std::shared_ptr<SoundBuffer> CreateSoundBuffer(const BufferDesc& desc,
                                                           std::span<const uint8_t> samples) = 0;
    // The one listener of the output; null when the device has none.
    virtual std::shared_ptr<SoundListener> GetListener() = 0;
};

// What a backend installs in the service table.
class AudioSystem {
public:
    AudioSystem();
    virtual ~AudioSystem() = default;
    // The default playback device, or null when there is none.
    virtual std::shared_ptr<AudioDevice> CreateDevice() = 0;
    // Tells one system from another, even one built where an old one was: the
    // game keeps its devices per system, and a test run builds many.
    uint64_t Serial() const { return m_serial; }

private:
    uint64_t m_serial;
};

} // namespace platform
