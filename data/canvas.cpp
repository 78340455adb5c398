#include "canvas.h"

#include <algorithm>
#include <cmath>

Canvas::Canvas(int width, int height)
    : m_width(width), m_height(height), m_fine(size_t(width) * height * kScale * kScale) {}

template <typename Inside>
void Canvas::Fill(float x0, float y0, float x1, float y1, Colour colour, Inside inside) {
    int fw = m_width * kScale, fh = m_height * kScale;
    int ix0 = std::max(0, int(std::floor(x0 * kScale)));
    int iy0 = std::max(0, int(std::floor(y0 * kScale)));
    int ix1 = std::min(fw - 1, int(std::ceil(x1 * kScale)));
    int iy1 = std::min(fh - 1, int(std::ceil(y1 * kScale)));
    for (int y = iy0; y <= iy1; ++y) {
        for (int x = ix0; x <= ix1; ++x) {
            Point p{(float(x) + 0.5f) / kScale, (float(y) + 0.5f) / kScale};
            if (inside(p)) {
                m_fine[size_t(y) * fw + x] = colour;
            }
        }
    }
}

void Canvas::VerticalGradient(float y0, float y1, Colour top, Colour bottom) {
    auto mix = [](uint8_t a, uint8_t b, float t) { return uint8_t(std::lround(a + (b - a) * t)); };
    int fw = m_width * kScale;
    for (int y = std::max(0, int(y0 * kScale)); y < std::min(m_height, int(y1)) * kScale; ++y) {
        float t = std::clamp((float(y) / kScale - y0) / (y1 - y0), 0.0f, 1.0f);
        Colour c{mix(top.r, bottom.r, t), mix(top.g, bottom.g, t), mix(top.b, bottom.b, t)};
        std::fill_n(m_fine.begin() + long(y) * fw, fw, c);
    }
}

void Canvas::Circle(Point c, float r, Colour colour) {
    Fill(c.x - r, c.y - r, c.x + r, c.y + r, colour, [&](Point p) {
        float dx = p.x - c.x, dy = p.y - c.y;
        return dx * dx + dy * dy <= r * r;
    });
}

void Canvas::Capsule(Point a, Point b, float r, Colour colour) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float length2 = std::max(dx * dx + dy * dy, 1e-6f);
    Fill(std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
         std::max(a.y, b.y) + r, colour, [&](Point p) {
             float t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0f, 1.0f);
             float ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
             return ex * ex + ey * ey <= r * r;
         });
}

void Canvas::Polygon(const std::vector<Point>& v, Colour colour) {
    if (v.size() < 3) {
        return;
    }
    float x0 = v[0].x, y0 = v[0].y, x1 = x0, y1 = y0;
    for (Point p : v) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    Fill(x0, y0, x1, y1, colour, [&](Point p) {
        bool inside = false;
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            if ((v[i].y > p.y) != (v[j].y > p.y) &&
                p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x) {
                inside = !inside;
            }
        }
        return inside;
    });
}

RgbPicture Canvas::Finish() const {
    RgbPicture out(m_width, m_height);
    int fw = m_width * kScale;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            unsigned r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kScale; ++sy) {
                for (int sx = 0; sx < kScale; ++sx) {
                    Colour c = m_fine[size_t(y * kScale + sy) * fw + x * kScale + sx];
                    r += c.r, g += c.g, b += c.b;
                }
            }
            const unsigned n = kScale * kScale;
            out.Set(x, y, uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n),
                    uint8_t((b + n / 2) / n));
        }
    }
    return out;
}
