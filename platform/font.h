#pragma once
#include "platform/pixels.h"

#include <map>
#include <memory>
#include <string>

namespace platform {

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
    // The width Render would give, without rendering; 0 as for its empty image.
    int TextWidth(const std::string& text) const;

    // This font, or the same face as much smaller as it takes for the text to
    // be at most maxWidth pixels wide. The smaller sizes are kept with this
    // font, which must outlive the reference.
    const Font& Fitting(const std::string& text, int maxWidth) const;

private:
    Font() = default;
    std::unique_ptr<Font> AtPixelHeight(int pixelHeight) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_face;
    std::string m_file;
    int m_index = 0;
    int m_pixelHeight = 0;
    mutable std::map<int, std::unique_ptr<Font>> m_smaller; // by pixel height
};

} // namespace platform
