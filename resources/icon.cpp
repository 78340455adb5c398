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

} // namespace

platform::PixelImage MakeIcon() {
    platform::PixelImage icon;
    icon.width = kIconSize;
    icon.height = kIconSize;
    icon.pixels.resize(kIconSize * kIconSize);
    const double centre = (kIconSize - 1) / 2.0;
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
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
            icon.pixels[static_cast<size_t>(y) * kIconSize + x] = pixel;
        }
    }
    return icon;
}

} // namespace resources
