#include "picture_files.h"

#include <fstream>
#include <map>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

void RgbPicture::Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

bool WritePng(const std::string& path, const RgbPicture& picture) {
    return stbi_write_png(path.c_str(), picture.width, picture.height, 3, picture.rgb.data(),
                          picture.width * 3) != 0;
}

// Above quality 90 the writer keeps full colour resolution, which tiny test
// pictures with a new colour every pixel need.
bool WriteJpeg(const std::string& path, const RgbPicture& picture) {
    return stbi_write_jpg(path.c_str(), picture.width, picture.height, 3, picture.rgb.data(), 95) !=
           0;
}

bool WriteBmp(const std::string& path, const RgbPicture& picture) {
    return stbi_write_bmp(path.c_str(), picture.width, picture.height, 3, picture.rgb.data()) != 0;
}

namespace {

// Packs variable-width codes least significant bit first, as GIF wants.
class CodeWriter {
public:
    void Put(unsigned code, int bits) {
        m_acc |= code << m_bits;
        m_bits += bits;
        while (m_bits >= 8) {
            m_bytes.push_back(uint8_t(m_acc));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    std::vector<uint8_t> Finish() {
        if (m_bits > 0) {
            m_bytes.push_back(uint8_t(m_acc));
        }
        return m_bytes;
    }

private:
    unsigned m_acc = 0;
    int m_bits = 0;
    std::vector<uint8_t> m_bytes;
};

void Put16(std::vector<uint8_t>& out, int value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

} // namespace

bool WriteGif(const std::string& path, const RgbPicture& picture) {
    std::map<uint32_t, int> index;
    std::vector<uint32_t> palette;
    std::vector<int> pixels;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        uint32_t c = uint32_t(picture.rgb[i]) << 16 | picture.rgb[i + 1] << 8 | picture.rgb[i + 2];
        auto [it, added] = index.emplace(c, int(palette.size()));
        if (added) {
            palette.push_back(c);
        }
        pixels.push_back(it->second);
    }
    if (palette.size() > 256) {
        return false;
    }
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, picture.width);
    Put16(out, picture.height);
    out.insert(out.end(), {0xF7, 0, 0}); // global table of 256 colours
    for (int i = 0; i < 256; ++i) {
        uint32_t c = i < int(palette.size()) ? palette[size_t(i)] : 0;
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    out.push_back(0x2C);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, picture.width);
    Put16(out, picture.height);
    out.push_back(0);
    // A clear code before every pixel keeps the codes at 9 bits: no compression,
    // but no dictionary to get wrong either.
    const unsigned clear = 256, end = 257;
    CodeWriter codes;
    for (int p : pixels) {
        codes.Put(clear, 9);
        codes.Put(unsigned(p), 9);
    }
    codes.Put(end, 9);
    std::vector<uint8_t> data = codes.Finish();
    out.push_back(8);
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = std::min<size_t>(255, data.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), long(out.size()));
    return bool(file);
}
