#include "ui/window_scaling.h"

#include <algorithm>
#include <cstdint>

namespace ui {

namespace {

constexpr uint32_t kBar = 0xFF000000;

// Floor division, so points left of or above the picture stay outside it.
int FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return static_cast<int>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

// The source index whose pixel covers the middle of target pixel i, when
// `from` pixels are spread over `to`: what is shown there, and so also what
// a click there means.
int Nearest(int i, int from, int to) {
    return FloorDiv((int64_t(2) * i + 1) * from, int64_t(2) * to);
}

} // namespace

WindowScaling::WindowScaling(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight)
    : m_pictureWidth(std::max(pictureWidth, 0)), m_pictureHeight(std::max(pictureHeight, 0)),
      m_windowWidth(std::max(windowWidth, 0)), m_windowHeight(std::max(windowHeight, 0)) {
    if (m_pictureWidth == 0 || m_pictureHeight == 0 || m_windowWidth == 0 || m_windowHeight == 0) {
        return;
    }
    // Compared as products, so a window of exactly twice the size is exactly
    // twice the picture with no rounding in between.
    int width = m_windowWidth;
    int height = m_windowHeight;
    const int64_t byWidth = int64_t(m_windowWidth) * m_pictureHeight;
    const int64_t byHeight = int64_t(m_windowHeight) * m_pictureWidth;
    if (byWidth <= byHeight) {
        height = static_cast<int>(byWidth / m_pictureWidth);
    } else {
        width = static_cast<int>(byHeight / m_pictureHeight);
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    const int left = (m_windowWidth - width) / 2;
    const int top = (m_windowHeight - height) / 2;
    m_place = {left, top, left + width, top + height};
    m_columns.resize(width);
    for (int x = 0; x < width; ++x) {
        m_columns[x] = Nearest(x, m_pictureWidth, width);
    }
}

bool WindowScaling::Identity() const {
    return m_place.Width() == m_pictureWidth && m_place.Height() == m_pictureHeight &&
           m_windowWidth == m_pictureWidth && m_windowHeight == m_pictureHeight;
}

void WindowScaling::ToPicture(int x, int y, int& pictureX, int& pictureY) const {
    if (m_place.Width() <= 0 || m_place.Height() <= 0) {
        pictureX = -1;
        pictureY = -1;
        return;
    }
    pictureX = Nearest(x - m_place.left, m_pictureWidth, m_place.Width());
    pictureY = Nearest(y - m_place.top, m_pictureHeight, m_place.Height());
}

Rect WindowScaling::ToWindow(const Rect& picture) const {
    if (m_pictureWidth == 0 || m_pictureHeight == 0) {
        return {};
    }
    auto x = [&](int px) {
        return m_place.left + FloorDiv(int64_t(px) * m_place.Width(), m_pictureWidth);
    };
    auto y = [&](int py) {
        return m_place.top + FloorDiv(int64_t(py) * m_place.Height(), m_pictureHeight);
    };
    return {x(picture.left), y(picture.top), x(picture.right), y(picture.bottom)};
}

void WindowScaling::Render(const platform::PixelImage& picture,
                           platform::PixelImage& window) const {
    window.width = m_windowWidth;
    window.height = m_windowHeight;
    window.pixels.assign(size_t(m_windowWidth) * m_windowHeight, kBar);
    if (picture.width != m_pictureWidth || picture.height != m_pictureHeight ||
        picture.pixels.size() < size_t(m_pictureWidth) * m_pictureHeight || m_columns.empty()) {
        return;
    }
    const int width = m_place.Width();
    for (int y = 0; y < m_place.Height(); ++y) {
        const int sourceY = Nearest(y, m_pictureHeight, m_place.Height());
        const uint32_t* source = picture.pixels.data() + size_t(sourceY) * m_pictureWidth;
        uint32_t* target =
            window.pixels.data() + size_t(m_place.top + y) * m_windowWidth + m_place.left;
        for (int x = 0; x < width; ++x) {
            target[x] = source[m_columns[x]];
        }
    }
}

} // namespace ui
