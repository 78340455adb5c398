#include "platform/image.h"

#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

// No buffer the decoder needs for a picture within the pixel budget is bigger
// than this (16-bit RGBA rows before conversion are the largest). Refusing
// bigger requests keeps a lying length field from costing gigabytes; the
// decoder treats the refusal as running out of memory and fails cleanly.
constexpr size_t kMaxDecoderBuffer = platform::kMaxImagePixelBytes * 5 / 2;

// Zeroed, because the JPEG decoder keeps its Huffman tables in this memory and
// a scan may name a table the file never defined: with leftover heap bytes the
// decoder then indexes far outside its arrays, with zeros it stays inside.
void* CappedMalloc(size_t size) {
    return size > kMaxDecoderBuffer ? nullptr : std::calloc(1, size);
}

void* CappedRealloc(void* old, size_t size) {
    return size > kMaxDecoderBuffer ? nullptr : std::realloc(old, size);
}

} // namespace

#define STBI_MALLOC(size) CappedMalloc(size)
#define STBI_REALLOC(old, size) CappedRealloc(old, size)
#define STBI_FREE(p) std::free(p)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#if defined(__clang__)
// On corrupt JPEG data the decoder shifts its bit buffer by more than 32 and
// copies zero bytes from a null pointer: harmless on every machine we build
// for, and not ours to change. Everything else stays checked, so the fuzzer
// only reports what matters.
#pragma clang attribute push(__attribute__((no_sanitize("shift", "nonnull-attribute"))),           \
                             apply_to = function)
#endif
#include <stb_image.h>
#if defined(__clang__)
#pragma clang attribute pop
#endif
#pragma GCC diagnostic pop

namespace platform {

namespace {

// No picture we could accept is bigger than its pixels plus generous headers;
// a bigger file is not worth reading into memory.
constexpr size_t kMaxImageFileBytes = kMaxImagePixelBytes * 2;

bool FitsPixelBudget(int width, int height, size_t maxPixelBytes) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    uint64_t bytes = uint64_t(width) * uint64_t(height) * sizeof(uint32_t);
    return bytes <= std::min(maxPixelBytes, kMaxImagePixelBytes);
}

// The JPEG decoder trusts the code counts of a Huffman table: more than 256
// codes in one table overrun its arrays. So before a JPEG is decoded, every
// place where such a table could start is looked at, reading past the end as
// zeros just as the decoder does.
bool JpegTablesAreSafe(const uint8_t* data, size_t size) {
    if (size == 0 || data[0] != 0xFF) {
        return true; // not a JPEG: every other format we take starts otherwise
    }
    auto byte = [&](size_t at) -> unsigned { return at < size ? data[at] : 0; };
    for (size_t marker = 0; marker + 1 < size; ++marker) {
        if (data[marker] != 0xFF || data[marker + 1] != 0xC4) {
            continue;
        }
        long left = long(byte(marker + 2) << 8 | byte(marker + 3)) - 2;
        for (size_t at = marker + 4; left > 0 && at < size;) {
            unsigned tableClass = byte(at) >> 4, tableId = byte(at) & 15;
            if (tableClass > 1 || tableId > 3) {
                break; // the decoder rejects this table itself
            }
            long codes = 0;
            for (size_t i = 1; i <= 16; ++i) {
                codes += byte(at + i);
            }
            if (codes > 256) {
                return false;
            }
            at += size_t(17 + codes);
            left -= 17 + codes;
        }
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    std::streamoff size = in.tellg();
    if (size < 0 || uint64_t(size) > kMaxImageFileBytes) {
        return false;
    }
    bytes.resize(size_t(size));
    in.seekg(0);
    return size == 0 || bool(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

} // namespace

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& out, size_t maxPixelBytes) {
    out = DecodedImage{};
    if (data == nullptr || size == 0 || size > size_t(INT32_MAX)) {
        return false;
    }
    int width = 0, height = 0, channels = 0;
    int length = int(size);
    if (!JpegTablesAreSafe(data, size)) {
        return false;
    }
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) ||
        !FitsPixelBudget(width, height, maxPixelBytes)) {
        return false;
    }
    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (rgba == nullptr) {
        return false;
    }
    // The decoder's own sizes are what the buffer holds; trust them, not the probe.
    if (!FitsPixelBudget(width, height, maxPixelBytes)) {
        stbi_image_free(rgba);
        return false;
    }
    PixelImage& image = out.pixels;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * size_t(height));
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const stbi_uc* p = rgba + i * 4;
        image.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(rgba);
    out.hasAlpha = channels == 2 || channels == 4;
    return true;
}

bool LoadImageFile(std::string_view gamePath, DecodedImage& out) {
    out = DecodedImage{};
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(MapPath(std::string(gamePath)), bytes)) {
        return false;
    }
    return DecodeImage(bytes.data(), bytes.size(), out);
}

} // namespace platform
