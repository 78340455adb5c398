#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A colour as 0x00RRGGBB.
using Color = uint32_t;
constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return (Color{r} << 16) | (Color{g} << 8) | Color{b};
}

// A decoded picture or a drawing surface: row-major 32-bit pixels 0xAARRGGBB.
// Drawing treats pure black (RGB 0,0,0) as the transparent colour where the
// game asks for it, never the alpha byte.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

} // namespace platform
