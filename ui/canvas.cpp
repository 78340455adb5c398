#include "ui/canvas.h"

#include <algorithm>

namespace ui {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

bool IsBlack(uint32_t pixel) {
    return (pixel & 0xFFFFFFu) == 0;
}

} // namespace

Canvas::Canvas(int width, int height) {
    m_image.width = std::max(width, 0);
    m_image.height = std::max(height, 0);
    m_image.pixels.assign(static_cast<size_t>(m_image.width) * m_image.height, kOpaque);
}

void Canvas::FillRect(const Rect& rect, platform::Color color) {
    const int left = std::max(rect.left, 0);
    const int top = std::max(rect.top, 0);
    const int right = std::min(rect.right, m_image.width);
    const int bottom = std::min(rect.bottom, m_image.height);
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = &m_image.pixels[static_cast<size_t>(y) * m_image.width];
        std::fill(row + left, row + std::max(left, right), kOpaque | color);
    }
}

Size Canvas::TextOut(int x, int y, const std::string& text, const platform::Font& font,
                     platform::Color fg, platform::Color bg) {
    const platform::PixelImage rendered = font.Render(text, fg, bg);
    Copy(rendered, x, y);
    const Size extent{rendered.width, rendered.height};
    if (m_logText) {
        m_textLog.push_back({text, x, y, fg, bg, font.Face(), font.PixelHeight(), extent});
    }
    return extent;
}

void Canvas::Copy(const platform::PixelImage& src, int x, int y) {
    if (src.Empty()) {
        return;
    }
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + src.width, m_image.width);
    const int bottom = std::min(y + src.height, m_image.height);
    for (int dy = top; dy < bottom; ++dy) {
        for (int dx = left; dx < right; ++dx) {
            m_image.pixels[static_cast<size_t>(dy) * m_image.width + dx] =
                kOpaque | src.At(dx - x, dy - y);
        }
    }
}

void Canvas::Stretch(const platform::PixelImage& src, const Rect& srcRect, const Rect& dst) {
    StretchImpl(src, srcRect, dst, false);
}

void Canvas::StretchTransparent(const platform::PixelImage& src, const Rect& srcRect,
                                const Rect& dst) {
    StretchImpl(src, srcRect, dst, true);
}

void Canvas::StretchImpl(const platform::PixelImage& src, const Rect& srcRect, const Rect& dst,
                         bool transparent) {
    const int sw = srcRect.Width();
    const int sh = srcRect.Height();
    const int dw = dst.Width();
    const int dh = dst.Height();
    if (src.Empty() || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) {
        return;
    }
    const int left = std::max(dst.left, 0);
    const int top = std::max(dst.top, 0);
    const int right = std::min(dst.right, m_image.width);
    const int bottom = std::min(dst.bottom, m_image.height);
    for (int dy = top; dy < bottom; ++dy) {
        // 64-bit so huge rectangles cannot overflow the scaling.
        const int64_t sy = srcRect.top + int64_t{dy - dst.top} * sh / dh;
        if (sy < 0 || sy >= src.height) {
            continue;
        }
        for (int dx = left; dx < right; ++dx) {
            const int64_t sx = srcRect.left + int64_t{dx - dst.left} * sw / dw;
            if (sx < 0 || sx >= src.width) {
                continue;
            }
            const uint32_t pixel = src.At(static_cast<int>(sx), static_cast<int>(sy));
            if (transparent && IsBlack(pixel)) {
                continue;
            }
            m_image.pixels[static_cast<size_t>(dy) * m_image.width + dx] = kOpaque | pixel;
        }
    }
}

} // namespace ui
