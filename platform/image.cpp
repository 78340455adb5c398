#include "platform/image.h"

#include "platform/path.h"

#include <fstream>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

namespace platform {

namespace {

// No picture we could accept is bigger than its pixels plus generous headers;
// a bigger file is not worth reading into memory.
constexpr size_t kMaxImageFileBytes = kMaxImagePixelBytes * 2;

bool FitsPixelBudget(int width, int height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    uint64_t bytes = uint64_t(width) * uint64_t(height) * sizeof(uint32_t);
    return bytes <= kMaxImagePixelBytes;
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

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& out) {
    out = DecodedImage{};
    if (data == nullptr || size == 0 || size > size_t(INT32_MAX)) {
        return false;
    }
    int width = 0, height = 0, channels = 0;
    int length = int(size);
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) ||
        !FitsPixelBudget(width, height)) {
        return false;
    }
    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (rgba == nullptr) {
        return false;
    }
    // The decoder's own sizes are what the buffer holds; trust them, not the probe.
    if (!FitsPixelBudget(width, height)) {
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
    if (!ReadWholeFile(NativePath(gamePath), bytes)) {
        return false;
    }
    return DecodeImage(bytes.data(), bytes.size(), out);
}

} // namespace platform
