#pragma once
#include "platform/pixels.h"

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

private:
    Font() = default;
    void Open(const std::string& file, int pixelHeight);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_face;
    std::string m_file;
    int m_pixelHeight = 0;
};

} // namespace platform
