#pragma once
// A RIFF reader shaped after the chunk calls the sound loader was written
// against: descend into a chunk (optionally searching for an id inside a
// parent), read, ascend past a chunk, seek. It reads any bytes without trust:
// sizes in the file are only ever used as limits, never as allocations.

#include <cstdint>
#include <memory>
#include <span>
#include <streambuf>
#include <string>

namespace mixer {

// Four-character code, first character in the lowest byte as in the file.
constexpr uint32_t FourCC(const char (&text)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;       // data size as the file claims it
    uint32_t formType = 0;   // only for "RIFF" and "LIST" chunks
    uint64_t dataOffset = 0; // file offset of the chunk's data
};

class RiffFile {
public:
    enum class Search { None, FindChunk };
    enum class Origin { Begin, Current, End };

    // Null when the file cannot be opened for reading.
    static std::unique_ptr<RiffFile> Open(const std::string& nativePath);
    // Reads from bytes the caller keeps alive as long as the reader.
    static std::unique_ptr<RiffFile> FromMemory(std::span<const uint8_t> bytes);

    ~RiffFile();

    // Reads the chunk header at the current position, or with FindChunk skips
    // chunks until one with chunk->id is found. The search ends at the end of
    // parent's data, or at the end of the file without a parent. On success
    // the position is at the chunk's data (past the form type of RIFF/LIST).
    bool Descend(RiffChunk* chunk, const RiffChunk* parent, Search search);
    // Moves past the chunk's data and its pad byte (possibly past the end).
    bool Ascend(const RiffChunk& chunk);
    // Bytes actually read; fewer at the end of the file.
    uint64_t Read(void* dst, uint64_t count);
    // New position, or -1 when it would be outside 0 ... Size().
    int64_t Seek(int64_t offset, Origin origin);
    uint64_t Size() const { return m_size; }

private:
    RiffFile(std::unique_ptr<std::streambuf> buffer, uint64_t size);
    bool ReadHeader(RiffChunk* chunk);

    std::unique_ptr<std::streambuf> m_buffer;
    uint64_t m_size;
    uint64_t m_position = 0;
};

} // namespace mixer
