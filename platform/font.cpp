// Fonts: fontconfig picks the file, SDL_ttf renders it. Neither needs a
// display, so the headless backend draws real text too.
#include "platform/font.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

// The screen the game's point sizes were measured on.
constexpr int kScreenDpi = 96;

// Point sizes are rounded to whole pixels the way the old font calls did.
int PixelsForTenthsOfPoint(int tenths) {
    return (tenths * kScreenDpi + 360) / 720;
}

// Kana, kanji or full-width forms in the name: the face is a Japanese one.
bool LooksJapanese(const std::string& face) {
    for (size_t i = 0; i < face.size(); ++i) {
        const auto lead = static_cast<unsigned char>(face[i]);
        if (lead >= 0xE3 && lead <= 0xE9) {
            return true;
        }
        if (lead == 0xEF && i + 1 < face.size()) {
            const auto next = static_cast<unsigned char>(face[i + 1]);
            if (next >= 0xBC && next <= 0xBF) {
                return true;
            }
        }
    }
    return false;
}

// The system's font configuration, loaded at the first font and released at
// exit; our own rather than fontconfig's implicit one, which is never freed.
FcConfig* FontConfig() {
    struct Holder {
        FcConfig* config = FcInitLoadConfigAndFonts();
        ~Holder() {
            if (config) {
                FcConfigDestroy(config);
            }
        }
    };
    static Holder holder;
    return holder.config;
}

// The file fontconfig offers for the face. A Japanese face the system lacks is
// stood in for by a fixed-pitch Japanese gothic, as the old screen font was.
std::string ResolveFace(const std::string& face, int& index) {
    FcConfig* config = FontConfig();
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    if (!pattern) {
        return {};
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    if (LooksJapanese(face)) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) {
        return {};
    }
    std::string file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        file = reinterpret_cast<const char*>(path);
    }
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) {
        index = 0;
    }
    FcPatternDestroy(match);
    return file;
}

bool EnsureTtf() {
    return TTF_WasInit() > 0 || TTF_Init() == 0;
}

void ReportMissingFont(const std::string& what) {
    // Once per run: the menu makes its font anew every time it opens.
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        std::fprintf(stderr, "kirikazeJ: no usable font for \"%s\"; text is not drawn\n",
                     what.c_str());
    }
}

SDL_Color ToSdl(Color c) {
    return {static_cast<Uint8>(c >> 16), static_cast<Uint8>(c >> 8), static_cast<Uint8>(c), 255};
}

} // namespace

struct Font::Impl {
    TTF_Font* font = nullptr;
    ~Impl() {
        if (font) {
            TTF_CloseFont(font);
        }
    }
};

Font::Font(int tenthsOfPoint, const std::string& face) : m_face(face) {
    int index = 0;
    const std::string file = ResolveFace(face, index);
    m_pixelHeight = PixelsForTenthsOfPoint(tenthsOfPoint);
    m_impl = std::make_unique<Impl>();
    if (!file.empty() && EnsureTtf()) {
        m_impl->font = TTF_OpenFontIndex(file.c_str(), m_pixelHeight, index);
    }
    if (m_impl->font) {
        m_file = file;
        m_index = index;
    } else {
        ReportMissingFont(face);
    }
}

Font::~Font() = default;

std::unique_ptr<Font> Font::FromFile(const std::string& path, int pixelHeight) {
    std::unique_ptr<Font> font(new Font());
    font->m_face = path;
    font->m_pixelHeight = pixelHeight;
    font->m_impl = std::make_unique<Impl>();
    if (EnsureTtf()) {
        font->m_impl->font = TTF_OpenFont(path.c_str(), pixelHeight);
    }
    if (font->m_impl->font) {
        font->m_file = path;
    } else {
        ReportMissingFont(path);
    }
    return font;
}

bool Font::Usable() const {
    return m_impl && m_impl->font;
}

int Font::TextWidth(const std::string& text) const {
    int w = 0;
    int h = 0;
    if (!Usable() || text.empty() || TTF_SizeUTF8(m_impl->font, text.c_str(), &w, &h) != 0) {
        return 0;
    }
    return w;
}

std::unique_ptr<Font> Font::AtPixelHeight(int pixelHeight) const {
    std::unique_ptr<Font> font(new Font());
    font->m_face = m_face;
    font->m_file = m_file;
    font->m_index = m_index;
    font->m_pixelHeight = pixelHeight;
    font->m_impl = std::make_unique<Impl>();
    font->m_impl->font = TTF_OpenFontIndex(m_file.c_str(), pixelHeight, m_index);
    return font;
}

const Font& Font::Fitting(const std::string& text, int maxWidth) const {
    const int width = TextWidth(text);
    if (width <= maxWidth || maxWidth <= 0) {
        return *this;
    }
    // Glyph widths do not scale exactly with the height (hinting), so start
    // from the proportional guess and step down until the text fits.
    for (int px = m_pixelHeight * maxWidth / width; px > 1; --px) {
        std::unique_ptr<Font>& smaller = m_smaller[px];
        if (!smaller) {
            smaller = AtPixelHeight(px);
        }
        if (!smaller->Usable()) {
            return *this;
        }
        if (smaller->TextWidth(text) <= maxWidth) {
            return *smaller;
        }
    }
    return *this;
}

int Font::LineHeight() const {
    return Usable() ? TTF_FontHeight(m_impl->font) : 0;
}

PixelImage Font::Render(const std::string& text, Color fg, Color bg) const {
    PixelImage image;
    if (!Usable() || text.empty()) {
        return image;
    }
    // Shaded rendering: anti-aliased glyphs on an opaque background, which is
    // what text on an opaque background colour looks like.
    SDL_Surface* surface = TTF_RenderUTF8_Shaded(m_impl->font, text.c_str(), ToSdl(fg), ToSdl(bg));
    if (!surface) {
        return image;
    }
    const SDL_Palette* palette = surface->format->palette;
    if (surface->format->BitsPerPixel == 8 && palette) {
        image.width = surface->w;
        image.height = surface->h;
        image.pixels.resize(static_cast<size_t>(image.width) * image.height);
        const auto* bytes = static_cast<const Uint8*>(surface->pixels);
        for (int y = 0; y < surface->h; ++y) {
            for (int x = 0; x < surface->w; ++x) {
                const SDL_Color c = palette->colors[bytes[y * surface->pitch + x]];
                image.pixels[static_cast<size_t>(y) * image.width + x] =
                    0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
            }
        }
    }
    SDL_FreeSurface(surface);
    return image;
}

} // namespace platform
