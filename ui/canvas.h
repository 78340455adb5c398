#pragma once
#include "platform/font.h"
#include "platform/pixels.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

using platform::Color;
using platform::Font;
using platform::PixelImage;
using platform::Rgb;

// Pixel rectangle: left and top inside, right and bottom just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// The drawing surface of the main window: plain 32-bit pixels that the backend
// shows as they are, so the headless backend sees exactly what a player sees.
// Every operation clips to the surface.
class Canvas {
public:
    // One text draw as the game asked for it.
    struct TextDraw {
        std::string text;
        int x = 0;
        int y = 0;
        platform::Color fg = 0;
        platform::Color bg = 0;
        std::string face;
        int pixelHeight = 0;
        Size extent; // what was drawn; 0 x 0 when the font was not usable
    };

    Canvas(int width, int height);

    int Width() const { return m_image.width; }
    int Height() const { return m_image.height; }
    Rect ClientRect() const { return {0, 0, m_image.width, m_image.height}; }
    const platform::PixelImage& Pixels() const { return m_image; }
    // The colour at a point as 0x00RRGGBB.
    platform::Color ColorAt(int x, int y) const { return m_image.At(x, y) & 0xFFFFFFu; }

    void FillRect(const Rect& rect, platform::Color color);

    // Text with its top-left corner at (x, y), on an opaque band of bg as
    // wide and high as the text. Returns the extent drawn.
    Size TextOut(int x, int y, const std::string& text, const platform::Font& font,
                 platform::Color fg, platform::Color bg);

    // The picture at its own size with its top-left corner at (x, y).
    void Copy(const platform::PixelImage& src, int x, int y);
    // Part src of the picture stretched onto dst (nearest pixel).
    void Stretch(const platform::PixelImage& src, const Rect& srcRect, const Rect& dst);
    // As Stretch, but black source pixels leave the surface as it was.
    void StretchTransparent(const platform::PixelImage& src, const Rect& srcRect, const Rect& dst);

    // Text draws are logged only where someone reads them (the tests).
    void EnableTextLog(bool on) { m_logText = on; }
    const std::vector<TextDraw>& TextLog() const { return m_textLog; }
    void ClearTextLog() { m_textLog.clear(); }

private:
    void StretchImpl(const platform::PixelImage& src, const Rect& srcRect, const Rect& dst,
                     bool transparent);

    platform::PixelImage m_image;
    bool m_logText = false;
    std::vector<TextDraw> m_textLog;
};

} // namespace ui
