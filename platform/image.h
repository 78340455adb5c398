#pragma once
#include "platform/pixels.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// A picture that would need more pixel memory than this is refused before any
// of it is decoded, so a hostile header cannot make us allocate without bound.
inline constexpr size_t kMaxImagePixelBytes = size_t{64} << 20;

struct DecodedImage {
    PixelImage pixels;
    bool hasAlpha = false; // the source carried an alpha channel
};

// Decodes a PNG, JPEG, BMP or GIF (the first frame), recognised by its content,
// into 0xAARRGGBB pixels. Any bytes are safe to pass; on failure `out` is left
// empty and false is returned. A smaller budget lets a fuzzer skip the
// (slow but harmless) pictures that claim to be huge.
bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& out,
                 size_t maxPixelBytes = kMaxImagePixelBytes);

// Reads and decodes a picture file; the path may use backslashes as the game
// writes them. A missing or unreadable file is a failure like a broken one.
bool LoadImageFile(std::string_view gamePath, DecodedImage& out);

} // namespace platform
