#pragma once
#include "platform/pixels.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A colour as 0x00RRGGBB.
using Color = uint32_t;
constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return (Color{r} << 16) | (Color{g} << 8) | Color{b};
}

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

// A point font: the size in tenths of a point on a 96 dpi screen, and a face
// name. A face the system does not have is stood in for by the closest one
// fontconfig offers; for a Japanese face name that is a Japanese gothic face.
class Font {
public:
    Font(int tenthsOfPoint, const std::string& face);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // A font from one file, at a pixel height; for tests and tools.
    static std::unique_ptr<Font> FromFile(const std::string& path, int pixelHeight);

    // False when no usable font file was found: text in it is skipped.
    bool Usable() const;
    // The em height in pixels, as the point size asks for it.
    int PixelHeight() const { return m_pixelHeight; }
    // Height of one line of text (ascent + descent), 0 when not usable.
    int LineHeight() const;
    const std::string& Face() const { return m_face; }
    // The file the face was found in, empty when none.
    const std::string& File() const { return m_file; }

    // Renders text as opaque ARGB pixels: fg on bg, exactly the extent of the
    // text. Empty when the text is empty or the font not usable.
    PixelImage Render(const std::string& text, Color fg, Color bg) const;

private:
    Font() = default;
    void Open(const std::string& file, int pixelHeight);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_face;
    std::string m_file;
    int m_pixelHeight = 0;
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
        Color fg = 0;
        Color bg = 0;
        std::string face;
        int pixelHeight = 0;
        Size extent; // what was drawn; 0 x 0 when the font was not usable
    };

    Canvas(int width, int height);

    int Width() const { return m_image.width; }
    int Height() const { return m_image.height; }
    Rect ClientRect() const { return {0, 0, m_image.width, m_image.height}; }
    const PixelImage& Pixels() const { return m_image; }
    // The colour at a point as 0x00RRGGBB.
    Color ColorAt(int x, int y) const { return m_image.At(x, y) & 0xFFFFFFu; }

    void FillRect(const Rect& rect, Color color);

    // Text with its top-left corner at (x, y), on an opaque band of bg as
    // wide and high as the text. Returns the extent drawn.
    Size TextOut(int x, int y, const std::string& text, const Font& font, Color fg, Color bg);

    // The picture at its own size with its top-left corner at (x, y).
    void Copy(const PixelImage& src, int x, int y);
    // Part src of the picture stretched onto dst (nearest pixel).
    void Stretch(const PixelImage& src, const Rect& srcRect, const Rect& dst);
    // As Stretch, but black source pixels leave the surface as it was.
    void StretchTransparent(const PixelImage& src, const Rect& srcRect, const Rect& dst);

    // Text draws are logged only where someone reads them (the tests).
    void EnableTextLog(bool on) { m_logText = on; }
    const std::vector<TextDraw>& TextLog() const { return m_textLog; }
    void ClearTextLog() { m_textLog.clear(); }

private:
    void StretchImpl(const PixelImage& src, const Rect& srcRect, const Rect& dst, bool transparent);

    PixelImage m_image;
    bool m_logText = false;
    std::vector<TextDraw> m_textLog;
};

} // namespace platform
