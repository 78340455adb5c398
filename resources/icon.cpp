#include "resources/main_window.h"

#include <cmath>

namespace resources {

namespace {

constexpr uint32_t kNight = 0xFF101830;
constexpr uint32_t kSun = 0xFFC0201C;
constexpr uint32_t kBlade = 0xFFE8ECF0;
constexpr uint32_t kHilt = 0xFF302010;

// Distance of (x, y) from the line x + y = c, in pixels: the blade runs from
// the lower left to the upper right.
double FromDiagonal(double x, double y, double c) {
    return std::fabs(x + y - c) / std::sqrt(2.0);
}

// The colour at (x, y) of the icon as drawn on its own 32 x 32 grid; other
// sizes ask between the grid's points.
uint32_t IconAt(double x, double y) {
    const double centre = (kIconSize - 1) / 2.0;
    const double dx = x - centre;
    const double dy = y - centre;
    uint32_t pixel = kNight;
    if (dx * dx + dy * dy <= 11.0 * 11.0) {
        pixel = kSun;
    }
    // Blade from (6, 25) to (28, 3); the hilt below it to (2, 29).
    const bool alongBlade = x >= 6 && x <= 28 && y >= 3 && y <= 25;
    const bool alongHilt = x >= 2 && x < 6 && y > 25 && y <= 29;
    if (alongBlade && FromDiagonal(x, y, 31) <= 1.2) {
        pixel = kBlade;
    } else if (alongHilt && FromDiagonal(x, y, 31) <= 1.6) {
        pixel = kHilt;
    }
    return pixel;
}

// The mean of a few points spread over one pixel of a larger or smaller
// icon, so its edges come out smooth rather than stepped.
uint32_t SmoothedAt(int x, int y, int size) {
    constexpr int kSub = 4;
    const double step = double(kIconSize) / size;
    double channel[3] = {0, 0, 0};
    for (int j = 0; j < kSub; ++j) {
        for (int i = 0; i < kSub; ++i) {
            const uint32_t p =
                IconAt((x + (i + 0.5) / kSub) * step - 0.5, (y + (j + 0.5) / kSub) * step - 0.5);
            for (int c = 0; c < 3; ++c) {
                channel[c] += (p >> (16 - 8 * c)) & 0xFF;
            }
        }
    }
    uint32_t pixel = 0xFF000000;
    for (int c = 0; c < 3; ++c) {
        pixel |= uint32_t(std::lround(channel[c] / (kSub * kSub))) << (16 - 8 * c);
    }
    return pixel;
}

} // namespace

platform::PixelImage MakeIcon(int size) {
    platform::PixelImage icon;
    if (size <= 0) {
        return icon;
    }
    icon.width = size;
    icon.height = size;
    icon.pixels.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            icon.pixels[static_cast<size_t>(y) * size + x] =
                size == kIconSize ? IconAt(x, y) : SmoothedAt(x, y, size);
        }
    }
    return icon;
}

} // namespace resources
