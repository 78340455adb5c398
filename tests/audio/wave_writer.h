#pragma once
// Writes the small RIFF files the audio tests and fuzz seeds need: good ones,
// and ones broken in each way the loader must survive.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace testwave {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void PutId(Bytes& b, const char* id) {
    b.insert(b.end(), id, id + 4);
}

struct Format {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
};

// The "fmt " chunk's data; 16 bytes as most writers store it, 18 with the
// extra-size field.
inline Bytes FmtData(const Format& f, size_t size = 16) {
    Bytes b;
    uint16_t align = static_cast<uint16_t>(f.channels * f.bits / 8);
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.rate * align);
    Put16(b, align);
    Put16(b, f.bits);
    b.resize(size, 0);
    return b;
}

// 16-bit mono samples of a sine.
inline Bytes Sine16(double hz, uint32_t rate, uint32_t frames, double amplitude = 0.5) {
    Bytes b;
    for (uint32_t i = 0; i < frames; ++i) {
        double s = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
        Put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767.0))));
    }
    return b;
}

class Riff {
public:
    // A chunk with its data; claimedSize overrides the size written.
    Riff& Chunk(const char* id, const Bytes& data, std::optional<uint32_t> claimedSize = {}) {
        PutId(m_body, id);
        Put32(m_body, claimedSize.value_or(static_cast<uint32_t>(data.size())));
        m_body.insert(m_body.end(), data.begin(), data.end());
        if (data.size() % 2) {
            m_body.push_back(0);
        }
        return *this;
    }
    Bytes Build(const char* id = "RIFF", const char* form = "WAVE") const {
        Bytes b;
        PutId(b, id);
        Put32(b, static_cast<uint32_t>(m_body.size() + 4));
        PutId(b, form);
        b.insert(b.end(), m_body.begin(), m_body.end());
        return b;
    }

private:
    Bytes m_body;
};

inline Bytes Wave(const Format& f, const Bytes& samples) {
    return Riff().Chunk("fmt ", FmtData(f)).Chunk("data", samples).Build();
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace testwave
