#include "mixer/riff.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace mixer {

namespace {

// Lets the same reader walk bytes already in memory (the fuzzer's input).
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(std::span<const uint8_t> bytes) {
        // The get area is only ever read; streambuf just wants non-const pointers.
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        setg(begin, begin, begin + bytes.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        off_type base = dir == std::ios_base::beg   ? 0
                        : dir == std::ios_base::cur ? gptr() - eback()
                                                    : egptr() - eback();
        return seekpos(base + off, std::ios_base::in);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
        off_type at = pos;
        if (at < 0 || at > egptr() - eback()) {
            return pos_type(off_type(-1));
        }
        setg(eback(), eback() + at, egptr());
        return pos;
    }
};

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr uint32_t kRiff = FourCC("RIFF");
constexpr uint32_t kList = FourCC("LIST");

// The data plus its pad byte: chunks always start on an even offset.
uint64_t PaddedEnd(const RiffChunk& chunk) {
    return chunk.dataOffset + chunk.size + (chunk.size & 1u);
}

} // namespace

std::unique_ptr<RiffFile> RiffFile::Open(const std::string& nativePath) {
    auto file = std::make_unique<std::filebuf>();
    if (!file->open(nativePath, std::ios_base::in | std::ios_base::binary)) {
        return nullptr;
    }
    auto end = file->pubseekoff(0, std::ios_base::end, std::ios_base::in);
    if (end == std::streampos(std::streamoff(-1))) {
        return nullptr; // a directory or a pipe: nothing we can walk
    }
    file->pubseekpos(0, std::ios_base::in);
    return std::unique_ptr<RiffFile>(new RiffFile(std::move(file), std::streamoff(end)));
}

std::unique_ptr<RiffFile> RiffFile::FromMemory(std::span<const uint8_t> bytes) {
    return std::unique_ptr<RiffFile>(
        new RiffFile(std::make_unique<MemoryBuffer>(bytes), bytes.size()));
}

RiffFile::RiffFile(std::unique_ptr<std::streambuf> buffer, uint64_t size)
    : m_buffer(std::move(buffer)), m_size(size) {}

RiffFile::~RiffFile() = default;

uint64_t RiffFile::Read(void* dst, uint64_t count) {
    count = std::min(count, m_size - std::min(m_position, m_size));
    if (count == 0) {
        return 0;
    }
    if (m_buffer->pubseekpos(static_cast<std::streamoff>(m_position), std::ios_base::in) ==
        std::streampos(std::streamoff(-1))) {
        return 0;
    }
    auto got = m_buffer->sgetn(static_cast<char*>(dst), static_cast<std::streamsize>(count));
    uint64_t read = got > 0 ? static_cast<uint64_t>(got) : 0;
    m_position += read;
    return read;
}

int64_t RiffFile::Seek(int64_t offset, Origin origin) {
    int64_t base = origin == Origin::Begin     ? 0
                   : origin == Origin::Current ? static_cast<int64_t>(m_position)
                                               : static_cast<int64_t>(m_size);
    // Both are far below the limits of int64, but the offset comes from callers.
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0 ||
        static_cast<uint64_t>(base + offset) > m_size) {
        return -1;
    }
    m_position = static_cast<uint64_t>(base + offset);
    return static_cast<int64_t>(m_position);
}

bool RiffFile::ReadHeader(RiffChunk* chunk) {
    uint8_t header[8];
    if (Read(header, sizeof header) != sizeof header) {
        return false;
    }
    chunk->id = Le32(header);
    chunk->size = Le32(header + 4);
    chunk->formType = 0;
    chunk->dataOffset = m_position;
    if (chunk->id == kRiff || chunk->id == kList) {
        uint8_t form[4];
        if (Read(form, sizeof form) != sizeof form) {
            return false;
        }
        chunk->formType = Le32(form);
    }
    return true;
}

bool RiffFile::Descend(RiffChunk* chunk, const RiffChunk* parent, Search search) {
    uint64_t limit = parent ? std::min(PaddedEnd(*parent), m_size) : m_size;
    if (search == Search::None) {
        return m_position + 8 <= limit && ReadHeader(chunk);
    }
    const uint32_t wanted = chunk->id;
    RiffChunk found;
    while (m_position + 8 <= limit) {
        if (!ReadHeader(&found)) {
            return false;
        }
        if (found.id == wanted) {
            *chunk = found;
            return true;
        }
        // Every skip moves forward by at least the 8 header bytes, so a
        // zero-size or lying chunk can never make this loop stand still.
        uint64_t next = PaddedEnd(found);
        if (next >= limit) {
            break;
        }
        m_position = next;
    }
    return false;
}

bool RiffFile::Ascend(const RiffChunk& chunk) {
    // A chunk that claims more than the file holds leaves us past the end,
    // as a seek there would: the next descend then finds nothing.
    m_position = PaddedEnd(chunk);
    return true;
}

} // namespace mixer
