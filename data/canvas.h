#pragma once
#include "picture_files.h"

#include <cstdint>
#include <vector>

struct Point {
    float x = 0;
    float y = 0;
};

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
};

// Draws filled shapes at three times the final size and averages them down,
// so the silhouettes get smooth edges without any anti-aliasing maths.
class Canvas {
public:
    Canvas(int width, int height);

    void VerticalGradient(float y0, float y1, Colour top, Colour bottom);
    void Circle(Point centre, float radius, Colour colour);
    // A thick line with round ends.
    void Capsule(Point a, Point b, float radius, Colour colour);
    void Polygon(const std::vector<Point>& corners, Colour colour);

    RgbPicture Finish() const;

private:
    template <typename Inside>
    void Fill(float x0, float y0, float x1, float y1, Colour colour, Inside inside);

    static constexpr int kScale = 3;
    int m_width;
    int m_height;
    std::vector<Colour> m_fine;
};
